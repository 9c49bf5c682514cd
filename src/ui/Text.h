#pragma once

#include <QString>
#include <string>
#include <vector>

namespace tw::ui {

// Text crosses between the core's UTF-8 bytes and Qt only here.
inline QString ToQ(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToStd(const QString& text) {
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The application title: caption of the plain message boxes and of the window.
inline QString AppTitle() {
    return QStringLiteral("Zephyrix Trailwright");
}

} // namespace tw::ui
