#pragma once

#include <QString>

class IProject;
class IVariablesExpander;

// A path of a project's build rules: trimmed, expanded, taken against the directory of
// the project's definition file, cleaned, with native separators. Without a project the
// path comes back unchanged; the expander may be null.
QString resolveProjectPath(const QString& path, IProject* project, IVariablesExpander* expander);
