// Names as bytes: every byte string decodes to a name that encodes back to the same bytes,
// valid UTF-8 decodes as UTF-8, and every other byte is carried as U+DC00 + the byte.
#include "core/FileNames.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

namespace {

QChar escaped(unsigned char byte) {
    return QChar(char16_t(0xDC00 + byte));
}

// Qt's own UTF-8 decoder, keeping a leading byte-order mark: the oracle for valid UTF-8.
QString qtDecoded(const QByteArray& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

// True when Qt's decoder takes the bytes without loss.
bool qtDecodesExactly(const QByteArray& bytes) {
    return qtDecoded(bytes).toUtf8() == bytes;
}

bool holdsEscape(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscapedByteAt(name, i)) {
            return true;
        }
    }
    return false;
}

} // namespace

class FileNamesTest : public QObject {
    Q_OBJECT
private slots:
    void decode_byClass_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        const QChar ff = escaped(0xFF);
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ascii") << QByteArray("a b.png") << QString("a b.png");
        QTest::newRow("two three four byte UTF-8")
            << QByteArray("\xc3\xa9\xe8\x8a\xb1\xf0\x9f\x98\x80") << QString::fromUtf8("é花😀");
        QTest::newRow("largest code point")
            << QByteArray("\xf4\x8f\xbf\xbf") << QString::fromUcs4(U"\U0010FFFF");
        // U+10080 is the pair D800 DC80: its second half lies in the escape range.
        QTest::newRow("pair ending in the escape range")
            << QByteArray("\xf0\x90\x82\x80") << QString::fromUcs4(U"\U00010080");
        QTest::newRow("literal replacement character stays a character")
            << QByteArray("a\xef\xbf\xbd.png") << QString("a") + QChar(0xFFFD) + ".png";
        // A byte-order mark is part of the name, never dropped as a text codec might drop it.
        QTest::newRow("leading byte-order mark") << QByteArray("\xef\xbb\xbf"
                                                               "a")
                                                 << QString(QChar(0xFEFF)) + "a";
        QTest::newRow("byte-order mark before a bad byte")
            << QByteArray("\xef\xbb\xbf\xff") << QString(QChar(0xFEFF)) + escaped(0xFF);
        QTest::newRow("lone FF") << QByteArray("a\xff.png") << QString("a") + ff + ".png";
        QTest::newRow("lone 80 and lone C3 (Latin-1 e acute)")
            << QByteArray("\x80x\xe9") << QString(escaped(0x80)) + "x" + escaped(0xE9);
        QTest::newRow("FF next to valid UTF-8")
            << QByteArray("\xff\xc3\xa9\xff") << QString(ff) + QChar(0xE9) + ff;
        QTest::newRow("truncated two-byte at end")
            << QByteArray("a\xc3") << QString("a") + escaped(0xC3);
        QTest::newRow("truncated three-byte before ASCII")
            << QByteArray("\xe2\x82.") << QString(escaped(0xE2)) + escaped(0x82) + ".";
        QTest::newRow("truncated four-byte")
            << QByteArray("\xf0\x9f\x98") << QString(escaped(0xF0)) + escaped(0x9F) + escaped(0x98);
        QTest::newRow("overlong slash C0 AF")
            << QByteArray("\xc0\xaf") << QString(escaped(0xC0)) + escaped(0xAF);
        QTest::newRow("overlong C1 BF")
            << QByteArray("\xc1\xbf") << QString(escaped(0xC1)) + escaped(0xBF);
        QTest::newRow("overlong three-byte E0 80 AF")
            << QByteArray("\xe0\x80\xaf") << QString(escaped(0xE0)) + escaped(0x80) + escaped(0xAF);
        QTest::newRow("overlong four-byte F0 80 80 AF")
            << QByteArray("\xf0\x80\x80\xaf")
            << QString(escaped(0xF0)) + escaped(0x80) + escaped(0x80) + escaped(0xAF);
        QTest::newRow("encoded high surrogate ED A0 80")
            << QByteArray("\xed\xa0\x80") << QString(escaped(0xED)) + escaped(0xA0) + escaped(0x80);
        QTest::newRow("encoded surrogate pair ED A0 BD ED B8 80")
            << QByteArray("\xed\xa0\xbd\xed\xb8\x80")
            << QString(escaped(0xED)) + escaped(0xA0) + escaped(0xBD) + escaped(0xED) +
                   escaped(0xB8) + escaped(0x80);
        QTest::newRow("past U+10FFFF F4 90 80 80")
            << QByteArray("\xf4\x90\x80\x80")
            << QString(escaped(0xF4)) + escaped(0x90) + escaped(0x80) + escaped(0x80);
        QTest::newRow("lead bytes F5 and FE")
            << QByteArray("\xf5\xfe") << QString(escaped(0xF5)) + escaped(0xFE);
        QTest::newRow("continuation without lead")
            << QByteArray("\xbf\xbf") << QString(escaped(0xBF)) + escaped(0xBF);
    }

    void decode_byClass() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        const QString decoded = decodeFileName(bytes);
        QCOMPARE(decoded, name);
        QCOMPARE(encodeFileName(decoded), bytes);
    }

    void roundTrip_everyStringOfUpToTwoBytes() {
        int escapedStrings = 0;
        for (int first = 0; first < 256; ++first) {
            for (int second = -1; second < 256; ++second) {
                QByteArray bytes(1, char(first));
                if (second >= 0) {
                    bytes.append(char(second));
                }
                const QString name = decodeFileName(bytes);
                QCOMPARE(encodeFileName(name), bytes);
                // Valid UTF-8 decodes exactly as Qt decodes it; anything else carries escapes.
                if (qtDecodesExactly(bytes)) {
                    QCOMPARE(name, qtDecoded(bytes));
                    QVERIFY(!holdsEscape(name));
                } else {
                    QVERIFY(holdsEscape(name));
                    ++escapedStrings;
                }
            }
        }
        // 128 lone bytes, and of the pairs every one with a byte from 0x80 up that is not a
        // two-byte sequence C2..DF 80..BF.
        QCOMPARE(escapedStrings, 128 + (65536 - 128 * 128 - 30 * 64));
    }

    void roundTrip_randomStrings() {
        // Bytes drawn from a small alphabet rich in lead and continuation bytes, so that valid,
        // truncated, overlong and surrogate sequences all occur, mixed with ASCII.
        const QByteArray alphabet(
            "a./\x80\x8f\x90\x9f\xa0\xbf\xc0\xc2\xdf\xe0\xed\xef\xf0\xf4\xf5\xff");
        QRandomGenerator random(20240917);
        for (int n = 0; n < 100000; ++n) {
            QByteArray bytes;
            const int length = 1 + int(random.bounded(9));
            for (int k = 0; k < length; ++k) {
                bytes.append(alphabet.at(int(random.bounded(int(alphabet.size())))));
            }
            const QString name = decodeFileName(bytes);
            QCOMPARE(encodeFileName(name), bytes);
            QCOMPARE(decodeFileName(encodeFileName(name)), name);
            QCOMPARE(holdsEscape(name), !qtDecodesExactly(bytes));
            // Joining at a separator joins the bytes: a folder and a name can be decoded apart.
            const QByteArray joined = bytes + '/' + bytes;
            QCOMPARE(encodeFileName(name + '/' + name), joined);
            QCOMPARE(decodeFileName(joined), name + '/' + name);
        }
    }

    void encode_surrogatesThatNoNameHolds() {
        // No decoded name holds a lone high surrogate or a low one below the escape range; such
        // text (typed, say) becomes U+FFFD rather than bytes that are no UTF-8 at all.
        QCOMPARE(encodeFileName(QString("a") + QChar(char16_t(0xD800)) + "b"),
                 QByteArray("a\xef\xbf\xbd"
                            "b"));
        QCOMPARE(encodeFileName(QString(QChar(char16_t(0xDC7F)))), QByteArray("\xef\xbf\xbd"));
        QCOMPARE(encodeFileName(QString(QChar(char16_t(0xDD00)))), QByteArray("\xef\xbf\xbd"));
        // A high surrogate before an escape forms a pair: it is U+10080.
        QCOMPARE(encodeFileName(QString(QChar(char16_t(0xD800))) + QChar(char16_t(0xDC80))),
                 QByteArray("\xf0\x90\x82\x80"));
    }

    void display_spellsOutEscapedBytesAndControlCharacters() {
        QCOMPARE(displayFileName(decodeFileName("/d\x80/a\xff\xfe.png")),
                 QString("/d\\x80/a\\xFF\\xFE.png"));
        // A newline would break the line the name is shown on.
        QCOMPARE(displayFileName(QString("o\nu\tt\x7f\x1b.odt")),
                 QString("o\\x0Au\\x09t\\x7F\\x1B.odt"));
        QCOMPARE(displayFileName(decodeFileName("\xed\xa0\x80")), QString("\\xED\\xA0\\x80"));
        const QString plain = QString::fromUtf8("/tmp/é\xef\xbf\xbd\xf0\x90\x82\x80.png");
        QCOMPARE(displayFileName(plain), plain);
        QCOMPARE(displayFileName(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(FileNamesTest)
#include "tst_core_filenames.moc"
