#include "shell/qt_text.h"

#include <QByteArray>

namespace melkora {

QString to_qstring(std::string_view text) {
    const std::string utf8 = ansi_to_utf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Text from_qstring(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8_to_ansi(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString ui_text(std::string_view utf8_literal) { return to_qstring(ansi(utf8_literal)); }

}  // namespace melkora
