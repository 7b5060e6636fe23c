// The commands' arguments as the suite receives them: the plain arguments of the insert run
// turned into the suite's name-and-value pairs, each value keeping its type; and the time
// limit the bridge gives every call, from the `OfficeTimeout` setting.
#include "builder/OfficeArguments.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "builder/uno/Writer1.h"
#include "core/Settings.h"

#include <QtTest>

class TestBuilderUno : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void newPropertyValue_keepsTypeOfValue();
    void toPropertyList_keepsOrderAndTypes();
    void callTimeout_fromTheSettingInMilliseconds_data();
    void callTimeout_fromTheSettingInMilliseconds();

private:
    QTemporaryDir m_config;
};

void TestBuilderUno::initTestCase() {
    // The settings of this run only, never the user's.
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void TestBuilderUno::newPropertyValue_keepsTypeOfValue() {
    const auto text =
        NewPropertyValue(QStringLiteral("FileName"), QString::fromUtf8("file:///tmp/ä.png"));
    QCOMPARE(fromOUString(text.Name), QStringLiteral("FileName"));
    rtl::OUString textOut;
    QVERIFY(text.Value >>= textOut);
    QCOMPARE(fromOUString(textOut), QString::fromUtf8("file:///tmp/ä.png"));

    const auto flag = NewPropertyValue(QStringLiteral("AsLink"), false);
    QCOMPARE(flag.Value.getValueTypeClass(), css::uno::TypeClass_BOOLEAN);
    QCOMPARE(flag.Value.get<bool>(), false);

    // The break's kind must arrive as a 16-bit integer, not a long.
    const auto kind = NewPropertyValue(QStringLiteral("Kind"), short(3));
    QCOMPARE(kind.Value.getValueTypeClass(), css::uno::TypeClass_SHORT);
    QCOMPARE(kind.Value.get<sal_Int16>(), sal_Int16(3));
}

void TestBuilderUno::toPropertyList_keepsOrderAndTypes() {
    const OfficeArguments arguments{{QStringLiteral("Kind"), short(3)},
                                    {QStringLiteral("TemplateName"), QString()},
                                    {QStringLiteral("AsLink"), true}};
    const PropertyList list = toPropertyList(arguments);
    QCOMPARE(list.getLength(), 3);
    QCOMPARE(fromOUString(list[0].Name), QStringLiteral("Kind"));
    QCOMPARE(list[0].Value.getValueTypeClass(), css::uno::TypeClass_SHORT);
    QCOMPARE(fromOUString(list[1].Name), QStringLiteral("TemplateName"));
    QCOMPARE(list[1].Value.getValueTypeClass(), css::uno::TypeClass_STRING);
    QCOMPARE(list[2].Value.get<bool>(), true);
    QCOMPARE(toPropertyList({}).getLength(), 0);
}

void TestBuilderUno::callTimeout_fromTheSettingInMilliseconds_data() {
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<int>("limitMs");
    QTest::newRow("a day") << "86400" << 86400000;
    QTest::newRow("past a day: a day") << "86400.5" << 86400000;
    QTest::newRow("half a second, decimal comma") << "0,5" << 500;
    QTest::newRow("under a millisecond: one, never none") << "0.0004" << 1;
    QTest::newRow("zero: the default minute") << "0" << 60000;
    QTest::newRow("none: the default minute") << "" << 60000;
}

void TestBuilderUno::callTimeout_fromTheSettingInMilliseconds() {
    QFETCH(QString, seconds);
    QFETCH(int, limitMs);
    SaveSetting(Setting::OfficeTimeout, seconds);
    QCOMPARE(UnoOfficeBridge().callTimeoutMs(), limitMs);
}

QTEST_GUILESS_MAIN(TestBuilderUno)
#include "tst_builder_uno.moc"
