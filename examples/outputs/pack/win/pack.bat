@echo pack 1.0
