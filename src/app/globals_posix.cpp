#include "app/globals.h"

namespace hdq {

// There is no HTML help viewer outside Windows.
bool OpenHelpTopic(const std::string&) { return false; }

}  // namespace hdq
