// The per-user settings store: defaults on a first run, exact round trips, where the values
// live, no caching between reads, and a failing write that reaches the caller.
#include "core/AppError.h"
#include "core/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Before the first settings object: the store's location is fixed on first use.
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void init() {
        QFile::remove(storeFile());
        QDir(storeFile()).removeRecursively();
    }

    void firstRun_defaultsWithoutCreatingAnything() {
        QCOMPARE(GetSetting("Extension", "*"), QString("*"));
        QCOMPARE(GetSetting("LastFolder", ""), QString(""));
        QVERIFY(!QFile::exists(storeFile()));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("folder with spaces") << "/home/me/My Pictures/2021 trip";
        QTest::newRow("backslashes") << R"(C:\Users\me\Pictures\\share)";
        QTest::newRow("leading and trailing blanks") << "  jpg  ";
        QTest::newRow("comma") << "jpg, png";
        QTest::newRow("ini specials") << "a=b;c#d[e]\"f\"";
        QTest::newRow("at sign first") << "@Variant(x)";
        QTest::newRow("looks like a number") << "007";
        QTest::newRow("looks like a bool") << "true";
        QTest::newRow("non-ascii") << QString::fromUtf8("/home/me/Фото/été");
        QTest::newRow("line break") << "a\nb";
        QTest::newRow("empty") << "";
    }

    void roundTrip() {
        QFETCH(QString, value);
        SaveSetting("LastFolder", value);
        QCOMPARE(GetSetting("LastFolder", "default"), value);
        // The other key is untouched.
        QCOMPARE(GetSetting("Extension", "*"), QString("*"));
    }

    void store_isVantrellConfSectionLumigrove() {
        SaveSetting("Extension", "png");
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains("[Lumigrove]\nExtension=png"), qPrintable(text));
    }

    void read_seesAnotherCopysWrite() {
        SaveSetting("Extension", "png");
        QCOMPARE(GetSetting("Extension", "*"), QString("png"));
        // Another copy of the program writes meanwhile; the next read must see it.
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Lumigrove]\nExtension=tiff\nLastFolder=/srv/pictures\n");
        file.close();
        QCOMPARE(GetSetting("Extension", "*"), QString("tiff"));
        QCOMPARE(GetSetting("LastFolder", ""), QString("/srv/pictures"));
    }

    void write_failureThrows() {
        // A folder where the store's file belongs: it cannot be written, not even by a
        // privileged user.
        QVERIFY(QDir().mkpath(storeFile()));
        QVERIFY_THROWS_EXCEPTION(AppError, SaveSetting("Extension", "jpg"));
        QCOMPARE(GetSetting("Extension", "*"), QString("*"));
    }

    void handWritten_readBackAsWritten_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("connection with a comma")
            << QByteArray("OfficeConnection=pipe,name=x;urp") << "OfficeConnection"
            << "pipe,name=x;urp";
        QTest::newRow("socket connection, two commas")
            << QByteArray("OfficeConnection = socket,host=localhost,port=2002;urp ")
            << "OfficeConnection"
            << "socket,host=localhost,port=2002;urp";
        QTest::newRow("decimal comma") << QByteArray("InsertPause=0,5") << "InsertPause"
                                       << "0,5";
        QTest::newRow("comma and space in a folder")
            << QByteArray("LastFolder=/home/u/Holiday, 2024") << "LastFolder"
            << "/home/u/Holiday, 2024";
        QTest::newRow("plain value") << QByteArray("Extension=jpg") << "Extension"
                                     << "jpg";
        QTest::newRow("quoted by the program") << QByteArray("LastFolder=\"/a,b\"") << "LastFolder"
                                               << "/a,b";
    }

    // Settings files are edited by hand, as the README shows: what a person wrote is what the
    // program reads, for every key.
    void handWritten_readBackAsWritten() {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(writeStore(key, line));
        QCOMPARE(GetSetting(key, QStringLiteral("default")), expected);
    }

    void handWritten_secondsAsMeant_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<double>("seconds");
        QTest::newRow("decimal comma") << QByteArray("InsertPause=0,5") << 0.5;
        QTest::newRow("blanks around a point") << QByteArray("InsertPause = 1.25 ") << 1.25;
        QTest::newRow("no number: the default") << QByteArray("InsertPause=soon") << 2.0;
        QTest::newRow("not finite: the default") << QByteArray("InsertPause=inf") << 2.0;
    }

    // The pause a person wrote is the pause the run makes.
    void handWritten_secondsAsMeant() {
        QFETCH(QByteArray, line);
        QFETCH(double, seconds);
        QVERIFY(writeStore(QStringLiteral("InsertPause"), line));
        QCOMPARE(GetSecondsSetting(Setting::InsertPause), seconds);
    }

private:
    QString storeFile() const { return m_config.path() + "/Vantrell.conf"; }
    // The store as a person writes it, with the same key in another section before ours.
    bool writeStore(const QString& key, const QByteArray& line) const {
        QFile file(storeFile());
        const QByteArray text =
            "[General]\n" + key.toUtf8() + "=other,section\n\n[Lumigrove]\n" + line + "\n";
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    }
    QTemporaryDir m_config;
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_core_settings.moc"
