#pragma once

#include "core/latin1_literal.h"

#include <QString>

class IProject;

// What the project tasks have done to a project in this run: string lists in the
// project's own properties, keys compared without regard to case, never removed.
namespace project_state {

// Copies already made to an output directory.
inline constexpr QLatin1String kResultOutputs = latin1("resultoutputs");
// Builds already made.
inline constexpr QLatin1String kBuilt = latin1("built");

bool holds(IProject* project, const QString& list, const QString& key);
// Appends the key unless the list holds it; the property store's code on failure.
[[nodiscard]] int add(IProject* project, const QString& list, const QString& key);

}  // namespace project_state
