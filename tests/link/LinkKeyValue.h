#pragma once

#include "core/AppState.h"
#include "settings/RegistryKey.h"

#include <optional>
#include <string>

// What the host finds in the link key of the workspace's host key.
inline std::optional<std::string> LinkKeyValue(const AppState& state, const std::string& name) {
    return RegistryKey(RegistryRoot::CurrentUser, state.hostKey + "\\DwnStr").ReadValue(name);
}
