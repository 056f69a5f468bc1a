#pragma once

#include <QString>

class IPropertiesGetter;
class IVariablesExpander;
class IVariablesGetter;

// Where qmake and make are, by OS code and two key qualifiers (dottedKey). A setting is
// looked up among the variables, then the properties unless it names an existing
// directory; each value found is expanded, trimmed and given native separators.
// Every source may be null.

// "<os>.qmake.dir..."; empty without getters or for an unknown OS code.
QString qmakeDir(int osCode, const QString& first, const QString& second,
                 IVariablesExpander* expander, IVariablesGetter* variables,
                 IPropertiesGetter* properties);
// "<os>.qmake.path..." when it names something that exists, else qmake in qmakeDir;
// when neither is set, the qmake found on PATH (except on Windows), else empty.
QString qmakePath(int osCode, const QString& first, const QString& second,
                  IVariablesExpander* expander, IVariablesGetter* variables,
                  IPropertiesGetter* properties);
// "make" except on Windows, where "win.make.path..." is read.
QString makeToolPath(int osCode, const QString& first, const QString& second,
                     IVariablesExpander* expander, IVariablesGetter* variables,
                     IPropertiesGetter* properties);
