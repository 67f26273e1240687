#pragma once
// How both settings forms answer the operator after Apply, Save and Help.
#include <string>

namespace hdq {

inline constexpr int kStyleExclamation = 48;
inline constexpr int kStyleInformation = 64;
inline constexpr char kUnableToApply[] = "Unable to apply settings";

// `failure` is what an apply tells the operator, empty when it worked. Shows it; returns
// whether the apply worked.
bool ReportApply(const std::string& failure);
// Writes the INI file when the store changed and says whether that worked.
void SaveAndReport();
// Opens the form's own page of the help file; says so when the help cannot be shown.
void ShowHelpPage(const std::string& topic);

}  // namespace hdq
