#pragma once
// How both settings forms answer the operator after Apply and Save.
namespace hdq {

inline constexpr int kStyleExclamation = 48;
inline constexpr int kStyleInformation = 64;

// Shows "Unable to apply settings" when the apply failed; returns whether it worked.
bool ReportApply(bool applied);
// Writes the INI file when the store changed and says whether that worked.
void SaveAndReport();

}  // namespace hdq
