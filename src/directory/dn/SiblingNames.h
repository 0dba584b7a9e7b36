#pragma once
// The one rule by which the directory back ends tell sibling containers apart. The engine
// composes a full name as the listed name, a dot and the parent's full name, so two children of
// one container compose the same full names when their listed names are equal, or when one is
// the other's ending after a dot ("Dev.Ann" beside "Ann", whose child Dev reads "Dev.Ann" too).
// Those siblings are listed in typed form instead (see DnRdn::typed), which no typeless name can
// equal: a typeless name escapes every '='.

#include <span>
#include <string_view>
#include <vector>

namespace vantor {

// For the children of one container, given their typeless listed names (TypelessName), whether
// each must be listed in typed form.
std::vector<bool> ClashingSiblings(std::span<const std::string_view> typeless);

}  // namespace vantor
