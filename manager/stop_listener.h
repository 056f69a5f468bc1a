#pragma once

// Lets a stop signal reach the running tasks through their interrupt. Before the stop
// handlers are installed.
void listenForStops();
