#pragma once
// Two known versions of a large INI file for the crash-safety test and its saver child: they
// differ in every tag value, in LAST_RUN and in length, so a cut, empty or mixed file can
// never pass for either.
#include <functional>
#include <string>
#include "core/configuration.h"

namespace hdq::test {

inline constexpr int kGenerationTagKeys = 2000;

// Fills `config` with every key of version `which` ('A' or 'B') and points it at iniPath.
void MakeGeneration(VRXConfiguration& config, char which, const std::string& iniPath);
std::string GenerationLastRun(char which);

// The saver child's loop: saves `second`, then `first`, then `second` ... until killed. A
// failed save is passed over, as the program passes over one. After the first save that
// succeeds it calls `firstSaved` (false: give up) so the parent knows the loop is under way.
// Returns only when that signal fails (4).
int SaveGenerationsForever(VRXConfiguration& first, VRXConfiguration& second, const std::function<bool()>& firstSaved);

}  // namespace hdq::test
