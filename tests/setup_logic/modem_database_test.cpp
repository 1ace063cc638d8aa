// The modem database: its tables as listed, the family lookup by model, by fragment and by
// default, and that "BLANK" never reaches a user as an init string.

#include <gtest/gtest.h>

#include <QSet>
#include <cstring>

#include "setup/logic/modem_database.h"
#include "setup/logic/suggest_config.h"

namespace corvane {
namespace {

QString L(const char* s) {
    return QString::fromLatin1(s);
}

TEST(ModemDatabaseTest, TablesHaveTheListedShape) {
    EXPECT_EQ(ModemModels().size(), 198u);
    EXPECT_EQ(ModemNamePatterns().size(), 27u);
    EXPECT_EQ(ModemFamilies().size(), 23u);
    EXPECT_EQ(GenericModemTypes().size(), 13u);

    QSet<QString> familyNames;
    for (const ModemFamilyRow& f : ModemFamilies()) {
        familyNames << L(f.name);
        EXPECT_STREQ(f.sendingInit, f.receivingInit) << f.name;
    }
    EXPECT_EQ(familyNames.size(), 23);
    QSet<QString> keys;
    for (const ModemModelRow& m : ModemModels()) {
        EXPECT_LE(strlen(m.name), 50u) << m.name;
        EXPECT_TRUE(familyNames.contains(L(m.family))) << m.name;
        keys << L(m.name).toUpper();
    }
    EXPECT_EQ(keys.size(), 198) << "model names must be unique ignoring case";
    for (const ModemNamePatternRow& p : ModemNamePatterns())
        EXPECT_TRUE(familyNames.contains(L(p.family))) << p.fragment;

    // Order decides ties: the first fragments and the last one as listed.
    EXPECT_STREQ(ModemNamePatterns()[0].fragment, "Sportster");
    EXPECT_STREQ(ModemNamePatterns()[16].fragment, "LT");
    EXPECT_STREQ(ModemNamePatterns()[23].fragment, "Multitech");
    EXPECT_STREQ(ModemNamePatterns()[26].fragment, "SoftK56");

    // Names keep their own spacing.
    for (const char* spaced : {"Standard   300 bps Modem", "Standard  1200 bps Modem",
                               "NetComm Roadster 336  ( AM3460 )"})
        EXPECT_TRUE(keys.contains(L(spaced).toUpper())) << spaced;
    EXPECT_EQ(LookupModemFamily("LT Win Modem").sendingInit, "AT&FE0&C1&D2S7=90V1S0=0\\V1");
    EXPECT_EQ(LookupModemFamily("Motorola SM56 Modem").sendingInit, "AT&F&C1&D2\\Q3S7=90");
}

TEST(ModemDatabaseTest, EveryModelFindsItsFamilyAndAUsableString) {
    for (const ModemModelRow& m : ModemModels()) {
        for (const QString& name : {L(m.name), L(m.name).toLower(), L(m.name).toUpper()}) {
            const ModemFamily f = LookupModemFamily(name);
            EXPECT_EQ(f.name, L(m.family)) << m.name;
            const SuggestedConfig s = SuggestConfig(name);
            EXPECT_EQ(s.family, L(m.family));
            EXPECT_NE(s.sendingInit, kBlankInitString) << m.name;
            EXPECT_NE(s.receivingInit, kBlankInitString) << m.name;
            EXPECT_EQ(s.sendingInit, UsableInitString(f.sendingInit));
        }
    }
    for (const ModemFamilyRow& f : ModemFamilies()) {
        const QString raw = L(f.sendingInit);
        EXPECT_EQ(UsableInitString(raw), raw == "BLANK" ? QString() : raw) << f.name;
    }
}

TEST(ModemDatabaseTest, LookupCases) {
    struct Case {
        const char* name;
        const char* family;
        const char* init;  // after UsableInitString
    } cases[] = {
        // Exact model, any case.
        {"U.S. Robotics 56K FAX EXT", "USR 56K", "AT&H3&I2&R2S7=90S36=8S33=34"},
        {"u.s. robotics 56k fax ext", "USR 56K", "AT&H3&I2&R2S7=90S36=8S33=34"},
        {"Sportster 56k Data Fax", "USR 56K", "AT&H3&I2&R2S7=90S36=8S33=34"},
        // Fragments: "Sportster" comes first; "LT" comes before "Multitech".
        {"Sportster 99999 Unlisted", "USR 33.6", "AT&H3&I2&R2S7=90S36=8"},
        {"MultiTech MT5634ZBA", "LT Win Modem", "AT&FE0&C1&D2S7=90V1S0=0\\V1"},
        {"multitech mt9234", "LT Win Modem", "AT&FE0&C1&D2S7=90V1S0=0\\V1"},
        // Every fragment of the MultiTech family holds "LT": only listed models reach it.
        {"MultiModem ZDX", "LT Win Modem", "AT&FE0&C1&D2S7=90V1S0=0\\V1"},
        {"MultiModem MT2834ZDX", "MultiTech", ""},
        {"Nokia 6310i", "GSM Modem", "AT&F&C1&D2&K3S7=90"},
        {"Generic Conexant SoftK56 Data", "Conexant/Rockwell SoftK56",
         "AT&F&C1&D2&K3S7=90S10=100S25=100"},
        {"ESS ES2838 Voice", "ESSTech", ""},
        {"BCM V.90 56K Modem", "Broadcom", ""},
        {"Serial cable between 2 PCs", "Not a modem", ""},
        // Nothing matches.
        {"usb-Acme_Fax_9000-if00", "Standard Modem", "AT&F&C1&D2&K3S7=90"},
        {"", "Standard Modem", "AT&F&C1&D2&K3S7=90"},
    };
    for (const Case& c : cases) {
        const SuggestedConfig s = SuggestConfig(L(c.name));
        EXPECT_EQ(s.family, L(c.family)) << c.name;
        EXPECT_EQ(s.sendingInit, L(c.init)) << c.name;
        EXPECT_EQ(s.receivingInit, L(c.init)) << c.name;
    }
}

TEST(ModemDatabaseTest, GenericTypesCarryTheirFamilysString) {
    const QSet<QString> blankFamilies{"Broadcom", "ESSTech", "MultiTech"};
    for (const GenericModemType& t : GenericModemTypes()) {
        EXPECT_FALSE(blankFamilies.contains(L(t.family))) << t.text;
        const QString send = GenericTypeInitString(t, true);
        EXPECT_FALSE(send.isEmpty()) << t.text;
        EXPECT_EQ(send, GenericTypeInitString(t, false));
    }
    EXPECT_STREQ(GenericModemTypes()[1].text, "Generic Winmodem or \"Software Modem\"");
    EXPECT_STREQ(GenericModemTypes()[6].text, "U.S. Robotics/3COM/Sportster ( Older USR modems )");
    EXPECT_EQ(GenericTypeInitString(GenericModemTypes()[6], true), "AT&H3&I2&R2S7=90");
    EXPECT_EQ(GenericTypeInitString({"x", "at&t"}, true), "AT&F&C1&D2\\Q3S7=90");
    EXPECT_EQ(GenericTypeInitString({"x", "No Such Family"}, true), "");
}

}  // namespace
}  // namespace corvane
