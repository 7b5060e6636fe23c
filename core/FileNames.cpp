#include "core/FileNames.h"

namespace {

// The code point of the valid UTF-8 sequence at `i` and its length in `size`, or false when
// the byte there starts none: shortest form only, no surrogates, nothing past U+10FFFF.
bool sequenceAt(const unsigned char* s, qsizetype length, qsizetype i, char32_t& cp,
                qsizetype& size) {
    const unsigned char c = s[i];
    qsizetype need = 0;
    char32_t min = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
        min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    if (i + need >= length) {
        return false;
    }
    for (qsizetype k = 1; k <= need; ++k) {
        if ((s[i + k] & 0xC0) != 0x80) {
            return false;
        }
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return false;
    }
    size = need + 1;
    return true;
}

} // namespace

// Decoded here rather than by QString::fromUtf8(), which drops a leading byte-order mark:
// a name that begins with EF BB BF would lose those bytes.
QString decodeFileName(QByteArrayView bytes) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype length = bytes.size();
    // Never more UTF-16 code units than bytes.
    QString name(length, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(name.data());
    qsizetype written = 0;
    qsizetype i = 0;
    while (i < length) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            out[written++] = c;
            ++i;
            continue;
        }
        char32_t cp = 0;
        qsizetype size = 0;
        if (!sequenceAt(s, length, i, cp, size)) {
            out[written++] = char16_t(0xDC00 + c);
            ++i;
        } else if (cp < 0x10000) {
            out[written++] = char16_t(cp);
            i += size;
        } else {
            out[written++] = QChar::highSurrogate(cp);
            out[written++] = QChar::lowSurrogate(cp);
            i += size;
        }
    }
    name.truncate(written);
    return name;
}

QByteArray encodeFileName(QStringView name) {
    const char16_t* units = name.utf16();
    const qsizetype length = name.size();
    qsizetype first = 0;
    while (first < length && !QChar::isSurrogate(units[first])) {
        ++first;
    }
    if (first == length) {
        // No surrogate at all: plain UTF-8.
        return name.toUtf8();
    }
    QByteArray bytes = name.first(first).toUtf8();
    bytes.reserve(length * 3);
    qsizetype runStart = first;
    qsizetype i = first;
    auto flush = [&] { bytes += name.sliced(runStart, i - runStart).toUtf8(); };
    while (i < length) {
        const char16_t unit = units[i];
        if (!QChar::isSurrogate(unit)) {
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < length && QChar::isLowSurrogate(units[i + 1])) {
            i += 2;
            continue;
        }
        flush();
        if (isEscapedByte(unit)) {
            bytes += char(unit - 0xDC00);
        } else {
            bytes += "\xEF\xBF\xBD";
        }
        runStart = ++i;
    }
    flush();
    return bytes;
}

QString displayFileName(const QString& name) {
    const QStringView view(name);
    // A control character would break the line the name is shown on (a newline), or move
    // what follows (a tab, an escape): it is shown by its code, as an escaped byte is.
    const auto code = [&](qsizetype i) -> int {
        if (isEscapedByteAt(view, i)) {
            return view[i].unicode() - 0xDC00;
        }
        const char16_t unit = view[i].unicode();
        return unit < 0x20 || unit == 0x7F ? unit : -1;
    };
    qsizetype i = 0;
    while (i < view.size() && code(i) < 0) {
        ++i;
    }
    if (i == view.size()) {
        return name;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString shown = name.first(i);
    shown.reserve(name.size() + 8);
    for (; i < view.size(); ++i) {
        const int byte = code(i);
        if (byte < 0) {
            shown += view[i];
            continue;
        }
        shown += QLatin1String("\\x");
        shown += QLatin1Char(kHex[byte >> 4]);
        shown += QLatin1Char(kHex[byte & 0xF]);
    }
    return shown;
}
