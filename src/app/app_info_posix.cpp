// The native build has no version resource: the same identity comes from version.h.
#include "app/startup.h"
#include "app/version.h"

namespace hdq {

const AppProperties& App() {
    static const AppProperties properties{HDQ_TITLE, HDQ_PRODUCT_NAME, HDQ_COMMENTS, HDQ_VERSION_MAJOR,
                                          HDQ_VERSION_MINOR, HDQ_VERSION_REVISION, HDQ_BUILD_NUMBER};
    return properties;
}

}  // namespace hdq
