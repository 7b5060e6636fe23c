#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names on a POSIX disk are byte strings; most are UTF-8, some are not. The program
// carries every name as a QString that can be turned back into the very same bytes: valid
// UTF-8 is decoded as usual, and each byte that is not part of a valid UTF-8 sequence is
// carried as the lone surrogate U+DC80..U+DCFF (U+DC00 + the byte), so that the name stays
// byte-exact from the directory read (or the command line) to the system call and the
// picture's URL. Only the bytes 0x80..0xFF can ever be escaped this way: ASCII is always
// valid.

// The first and the last code unit that stand for an escaped byte.
inline constexpr char16_t kFirstEscapedByte = 0xDC80;
inline constexpr char16_t kLastEscapedByte = 0xDCFF;

// True when the code unit lies in the escape range. It stands for a byte only when it is
// not the second half of a surrogate pair: U+10080 is the pair D800 DC80.
inline bool isEscapedByte(char16_t unit) {
    return unit >= kFirstEscapedByte && unit <= kLastEscapedByte;
}

// True when the code unit at `i` stands for an escaped byte: in the escape range and not
// the second half of a surrogate pair.
inline bool isEscapedByteAt(QStringView name, qsizetype i) {
    return isEscapedByte(name[i].unicode()) && !(i > 0 && name[i - 1].isHighSurrogate());
}

// The name of the bytes: valid UTF-8 decoded, every other byte escaped (see above). A
// U+FFFD encoded in the bytes stays U+FFFD; encoded surrogates (ED A0 80), overlong forms,
// truncated sequences and code points past U+10FFFF are not valid UTF-8 and are escaped
// byte by byte.
QString decodeFileName(QByteArrayView bytes);

// The bytes of a name: the exact inverse of decodeFileName() for every byte string, that is
// encodeFileName(decodeFileName(b)) == b. Escaped bytes become their byte again; surrogate
// pairs become their four-byte UTF-8 form; any other lone surrogate, which no decoded name
// holds, becomes the bytes of U+FFFD.
QByteArray encodeFileName(QStringView name);

// The name as a person reads it: each escaped byte, and each control character (U+0000 to
// U+001F, U+007F), is shown as "\xHH" (upper-case hex), everything else as it is. Two names that
// differ only in such bytes stay distinguishable, and a name that really holds U+FFFD is never
// mistaken for one that could not be decoded.
QString displayFileName(const QString& name);
