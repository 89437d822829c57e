#pragma once

#include <string>

// Path pieces as the file rules see them. Both separators are accepted, so that paths
// written with "\" by the host read the same as our own.

// Position of the first character of the file name (after the last separator).
inline std::size_t FileNameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? 0 : separator + 1;
}

// Position of the last "." of the file name, or npos when the name has none.
inline std::size_t ExtensionDot(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < FileNameStart(path)) {
        return std::string::npos;
    }
    return dot;
}

// The path with its extension (from the last "." of the file name) replaced by
// `extension` (".wav"), or with `extension` appended when the name has none.
inline std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    const std::size_t dot = ExtensionDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}
