#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vexilo::qt {

// Shift_JIS bytes of the program and Qt's text; "?" for what code page 932 cannot hold.
QString fromSjis(std::string_view sjis);
std::string toSjis(const QString& text);

// Platform file names (paths), kept as the platform's own bytes.
QString fromPath(std::string_view path);
std::string toPath(const QString& path);

}  // namespace vexilo::qt
