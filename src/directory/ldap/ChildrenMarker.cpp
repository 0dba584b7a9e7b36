#include "directory/ldap/ChildrenMarker.h"

namespace vantor {

const std::vector<std::string>& ChildrenMarkerAttributes() {
    static const std::vector<std::string> names = {"hasSubordinates", "numSubordinates"};
    return names;
}

ChildrenMarker MarkerOf(const Attributes& attributes) {
    if (attributes.contains("hasSubordinates")) {
        return ChildrenMarker::kHasSubordinates;
    }
    return attributes.contains("numSubordinates") ? ChildrenMarker::kNumSubordinates
                                                  : ChildrenMarker::kNone;
}

std::string HasChildrenFilter(ChildrenMarker marker) {
    switch (marker) {
        case ChildrenMarker::kHasSubordinates:
            return "(hasSubordinates=TRUE)";
        case ChildrenMarker::kNumSubordinates:
            return "(numSubordinates>=1)";
        case ChildrenMarker::kNone:
            break;
    }
    return {};
}

}  // namespace vantor
