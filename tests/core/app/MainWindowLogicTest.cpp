#include "AppFakes.h"

#include "core/app/DeveloperTools.h"
#include "core/app/NodeList.h"
#include "core/link/Commands.h"
#include "core/util/Format.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class MemoryStore final : public ISettingsStore {
public:
    std::string ReadSetting(const std::string& section, const std::string& name,
                            const std::string& fallback) override {
        const auto it = values.find(section + "/" + name);
        return it == values.end() ? fallback : it->second;
    }
    int WriteSetting(const std::string& section, const std::string& name, const std::string& text) override {
        values[section + "/" + name] = text;
        return 1;
    }
    std::map<std::string, std::string> values;
};

TEST(Settings, DefaultsAndStoredTexts) {
    MemoryStore store;
    AppSettings fresh;
    fresh.Load(store);
    EXPECT_EQ(fresh.port, -1);
    EXPECT_EQ(fresh.baud, 0);  // "CBR_9600" is not a number
    EXPECT_EQ(fresh.node, 255);
    EXPECT_EQ(fresh.eventDatabase, 0);

    store.values["Settings/comport"] = "3,115200";
    store.values["Settings/node"] = "17";
    store.values["Settings/eventdatabase"] = "1";
    AppSettings stored;
    stored.Load(store);
    EXPECT_EQ(stored.port, 3);
    EXPECT_EQ(stored.baud, 115200);
    EXPECT_EQ(stored.node, 17);
    EXPECT_EQ(stored.eventDatabase, 1);

    AppSettings partial;
    partial.baud = 9600;
    partial.ParseComport("7");
    EXPECT_EQ(partial.port, 7);
    EXPECT_EQ(partial.baud, 9600);
    partial.ParseComport("x,y");
    EXPECT_EQ(partial.port, 7);

    MemoryStore out;
    stored.Save(out);
    EXPECT_EQ(out.values["Settings/comport"], "3,115200");
    EXPECT_EQ(out.values["Settings/node"], "17");
    EXPECT_EQ(out.values["Settings/eventdatabase"], "1");
}

TEST(NodeListMapping, EveryEntryMapsBothWays) {
    const auto entries = NodeList::Entries();
    ASSERT_EQ(entries.size(), static_cast<size_t>(NodeList::kEntries));
    EXPECT_EQ(entries[0], "Global");
    EXPECT_EQ(entries[1], "PLV580");
    EXPECT_EQ(entries[2], "01");
    EXPECT_EQ(entries[3], "04");
    EXPECT_EQ(entries[14], "0f");
    EXPECT_EQ(entries[15], "11");
    EXPECT_EQ(entries.back(), "ef");
    for (int i = 0; i < NodeList::kEntries; ++i) {
        const uint8_t address = NodeList::IndexToAddress(i);
        EXPECT_EQ(NodeList::AddressToIndex(address), i);
        if (i >= 2) {
            EXPECT_EQ(entries[static_cast<size_t>(i)], Format("%02x", address));
        }
    }
    for (const uint8_t control : {0x02, 0x03, 0x10, 0x00, 0xF0, 0xFE}) {
        EXPECT_EQ(NodeList::AddressToIndex(control), -1) << int(control);
    }
    EXPECT_EQ(NodeList::AddressToIndex(0x0A), 9);
}

TEST(PortListBuilding, SortsNamesAndKeepsDefaultsWhenNothingFound) {
    CPortList list;
    EXPECT_EQ(list.EnumeratePorts({}), 0);
    EXPECT_EQ(list.Entries()[127].port, 128);
    EXPECT_EQ(list.Entries()[0].name, "COM-Port (COM1)");

    EXPECT_EQ(list.EnumeratePorts({{"/dev/ttyS2", "", ""}, {"/dev/ttyS0", "", ""}}), 1);
    EXPECT_EQ(list.Entries()[0].port, 1);
    EXPECT_EQ(list.Entries()[0].name, "COM-Port (COM1)");
    EXPECT_EQ(list.Entries()[1].port, 3);
    EXPECT_EQ(list.Entries()[1].name, "COM-Port (COM3)");
    EXPECT_TRUE(list.Entries()[2].name.empty());
    EXPECT_EQ(list.Entries()[2].port, 0);

    list.EnumeratePorts({{"/dev/ttyUSB4", "FT232R USB UART", "usb-FTDI_FT232R_A5XK3RJT-if00-port0"},
                         {"/dev/pts/3", "", ""},
                         {"/dev/ttyACM0", std::string(200, 'x'), ""}});
    EXPECT_EQ(list.Entries()[0].port, 37);
    EXPECT_EQ(list.Entries()[0].name, "FT232R USB UART (COM37) - usb-FTDI_FT232R_A5XK3RJT-if00-port0");
    EXPECT_EQ(list.Entries()[1].port, 65);
    EXPECT_EQ(list.Entries()[1].name.size(), CPortList::kMaxName);
    EXPECT_TRUE(list.Entries()[2].name.empty());
}

TEST(ComProperties, ChoosesByNameAndBaudText) {
    CPortList list;
    list.EnumeratePorts({{"/dev/ttyS0", "", ""}, {"/dev/ttyS4", "", ""}});
    CComPropertiesDlg dlg(list.Entries(), 5, 115200);
    EXPECT_EQ(dlg.m_baudText, "115.2K");
    EXPECT_EQ(dlg.PortNames(), (std::vector<std::string>{"COM-Port (COM1)", "COM-Port (COM5)"}));
    EXPECT_EQ(dlg.InitialSelection(), 1);
    EXPECT_EQ(dlg.OnOk("COM-Port (COM1)", "38.4K"), 1);
    EXPECT_EQ(dlg.ChosenBaud(), 9600u);
    EXPECT_EQ(dlg.OnOk("COM-Port (COM5)", "115.2K"), 5);
    EXPECT_EQ(dlg.ChosenBaud(), 115200u);
    EXPECT_EQ(dlg.OnOk("", "9600"), -1);
    CComPropertiesDlg none(list.Entries(), 9, 9600);
    EXPECT_EQ(none.InitialSelection(), -1);
    EXPECT_EQ(none.m_baudText, "9600");
    // Only the rates the line runs at are offered.
    EXPECT_EQ(CComPropertiesDlg::BaudRates(), (std::vector<std::string>{"9600", "115.2K"}));
}

class MainWindowLogic : public ::testing::Test {
protected:
    MainWindowLogic() : dlg(port, view, prompt) {}
    FakePort port;
    FakeView view;
    FakePrompt prompt;
    CReaderToolDlg dlg;
};

TEST_F(MainWindowLogic, StatusLineComposition) {
    dlg.Start(AppSettings{3, 9600, 255, 0}, {});
    EXPECT_EQ(view.connectCaption, "Disconnect");
    EXPECT_EQ(view.statusLine, "COM3 9600 baud 8N1" + std::string(25, ' ') + "      Node ID: Global      ");
    dlg.OnMainCommand(MainCommand::kEventDatabase, 1);
    EXPECT_EQ(view.statusLine, "COM3 9600 baud 8N1    Event database active      Node ID: Global      ");
    dlg.OnNodeSelected(15);
    EXPECT_EQ(dlg.NodeAddress(), 0x11);
    dlg.ShowStatus("Corvantelle connected", 60);
    EXPECT_EQ(view.statusLine,
              "COM3 9600 baud 8N1    Event database active      Node ID: 11      Corvantelle connected");
    dlg.OnConnectButton();
    EXPECT_EQ(view.connectCaption, "Connect");
    EXPECT_EQ(view.statusLine.rfind("Disconnected", 0), 0u);
    EXPECT_EQ(view.statusLine.find(CReaderToolDlg::kConnected), std::string::npos) << view.statusLine;
    // The status text goes away when its ticks run out.
    for (int i = 0; i < 60; ++i) {
        dlg.OnTimer();
    }
    EXPECT_EQ(dlg.StatusText(), "");
}

TEST_F(MainWindowLogic, NodeSelectionReachesTheWire) {
    dlg.Start(AppSettings{1, 9600, 0x0A, 0}, {});
    EXPECT_EQ(dlg.NodeIndex(), 9);
    for (const auto& [index, address] :
         std::vector<std::pair<int, uint8_t>>{{0, 0xFF}, {15, 0x11}, {2, 0x01}}) {
        dlg.OnNodeSelected(index);
        dlg.OnSendNow(CTelegram(Cmd::kConnect, Desc::kConnect, kKindFrame));
        EXPECT_EQ(port.writes.back()[3], address) << index;
    }
    // A saved address the line cannot carry (a control byte, no entry) falls back to "Global".
    for (const int saved : {0x02, 0x03, 0x10, 0x00, 0xF0}) {
        FakePrompt told;
        CReaderToolDlg other(port, view, told);
        other.Start(AppSettings{1, 9600, saved, 0}, {});
        EXPECT_EQ(other.NodeAddress(), 0xFF) << saved;
        EXPECT_NE(view.statusLine.find("Node ID: Global"), std::string::npos) << view.statusLine;
        ASSERT_EQ(told.messages.size(), 1u) << saved;
        EXPECT_NE(told.messages[0].first.find(Format("0x%02X", saved)), std::string::npos);
    }
}

TEST_F(MainWindowLogic, FailedAndLostConnectionsExplainThemselves) {
    port.m_openable = false;
    dlg.Start(AppSettings{3, 9600, 1, 0}, {});
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].first, "Connection failed");
    EXPECT_NE(prompt.messages[0].second.find("does not exist"), std::string::npos);
    EXPECT_EQ(view.statusLine.rfind("Disconnected", 0), 0u);

    port.m_openable = true;
    dlg.OnConnectButton();
    dlg.ShowStatus(CReaderToolDlg::kConnected, 60);
    port.Close();
    dlg.OnPortLost();
    EXPECT_EQ(view.connectCaption, "Connect");
    EXPECT_EQ(view.statusLine.rfind("Disconnected", 0), 0u);
    EXPECT_EQ(view.statusLine.find(CReaderToolDlg::kConnected), std::string::npos) << view.statusLine;
    ASSERT_EQ(prompt.messages.size(), 2u);
    EXPECT_EQ(prompt.messages[1].first, "Connection lost");
    dlg.OnConnectButton();
    EXPECT_EQ(view.connectCaption, "Disconnect");
}

TEST_F(MainWindowLogic, ComPropertiesConfirmAndCancel) {
    dlg.Start(AppSettings{1, 9600, 1, 0}, {});
    auto props = dlg.BeginComProperties({{"/dev/ttyS0", "", ""}, {"/dev/ttyS2", "", ""}});
    EXPECT_EQ(port.IsOpen(), 0);
    props.OnOk("COM-Port (COM3)", "115.2K");
    dlg.EndComProperties(&props);
    EXPECT_EQ(port.GetPortNumber(), 3);
    EXPECT_EQ(port.GetBaudRate(), 115200u);
    EXPECT_EQ(port.IsOpen(), 1);

    // A choice made in the dialog but cancelled changes nothing; the port reconnects.
    auto cancelled = dlg.BeginComProperties({{"/dev/ttyS0", "", ""}});
    cancelled.OnOk("COM-Port (COM1)", "9600");
    dlg.EndComProperties(nullptr);
    EXPECT_EQ(port.GetPortNumber(), 3);
    EXPECT_EQ(port.IsOpen(), 1);

    AppSettings saved;
    dlg.Shutdown(saved);
    EXPECT_EQ(saved.port, 3);
    EXPECT_EQ(saved.baud, 115200);
    EXPECT_EQ(port.IsOpen(), 0);

    // A saved rate the line does not run at opens, and is kept, as 9600.
    CReaderToolDlg other(port, view, prompt);
    other.Start(AppSettings{3, 38400, 1, 0}, {});
    EXPECT_EQ(port.GetBaudRate(), 9600u);
    other.Shutdown(saved);
    EXPECT_EQ(saved.baud, 9600);
}

TEST_F(MainWindowLogic, DeveloperButtons) {
    dlg.Start(AppSettings{1, 9600, 1, 0}, {});
    dlg.OnDtrOn();
    dlg.OnDtrOff();
    EXPECT_EQ(port.dtrOn, 1);
    EXPECT_EQ(port.dtrOff, 1);
    dlg.OnTestButton();
    std::vector<uint8_t> expected{0x5B, 0x00, 0x14, 0x1A, 0x99, 0xBE, 0x1C, 0xF6, 0x00, 0x80};
    const std::string text = "This is an event";
    expected.insert(expected.end(), text.begin(), text.end());
    EXPECT_EQ(port.Payloads(), std::vector<std::vector<uint8_t>>{expected});
    // Without an active event database a known tag asks for nothing.
    dlg.SetEventLookup([](const std::string&, std::array<uint8_t, 24>&) { return true; });
    EXPECT_EQ(dlg.ShowEvent("000123456789"), -1);
}

TEST(DeveloperTools, CountryCodeTables) {
    const std::string input = "AUT  040\r\nDEU 276\r\nXY 1\r\nFRA 2500\r\nABC\r\nCHE    756\r\n";
    const std::string table = DeveloperTools::BuildCountryCodeTable(input, false);
    EXPECT_EQ(table.substr(0, 39), "_000_xxx:\r\n\tdb\t'0','0','0'\r\n_001_xxx:\r\n");
    EXPECT_NE(table.find("_040_AUT:\r\n\tdb\t'A','U','T'\r\n"), std::string::npos);
    EXPECT_NE(table.find("_276_DEU:\r\n\tdb\t'D','E','U'\r\n"), std::string::npos);
    EXPECT_NE(table.find("_756_CHE:\r\n"), std::string::npos);
    EXPECT_NE(table.find("_899_xxx:\r\n"), std::string::npos);
    EXPECT_EQ(table.find("_900_"), std::string::npos);

    const std::string table32 = DeveloperTools::BuildCountryCodeTable(input, true);
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < table32.size()) {
        const auto end = table32.find("\r\n", pos);
        lines.push_back(table32.substr(pos, end - pos));
        pos = end + 2;
    }
    ASSERT_EQ(lines.size(), 900u);
    EXPECT_EQ(lines[0], "\t\t'0','0','0',");
    EXPECT_EQ(lines[40], "\t\t'A','U','T',");

    EXPECT_EQ(DeveloperTools::CountryCodeOutputPath("/data/countries.txt", false), "/data/ModifiedList.txt");
    EXPECT_EQ(DeveloperTools::CountryCodeOutputPath("countries.txt", true), "ModifiedList32.txt");
    EXPECT_EQ(DeveloperTools::ReadEventList("Vaccinate\r\nWeigh\nSell"),
              (std::vector<std::string>{"Vaccinate", "Weigh", "Sell"}));
}

TEST(PortListBuilding, LongFriendlyNamesKeepTheirComNumberAndWholeCharacters) {
    CPortList list;
    std::string umlauts;
    for (int i = 0; i < 80; ++i) {
        umlauts += "\xC3\xBC";  // ü, two bytes each
    }
    list.EnumeratePorts({{"/dev/ttyUSB0", umlauts, ""}, {"/dev/ttyUSB1", umlauts, ""}});
    const std::string& first = list.Entries()[0].name;
    EXPECT_LE(first.size(), CPortList::kMaxName);
    EXPECT_EQ(first.substr(first.size() - 8), " (COM33)");
    EXPECT_EQ(list.Entries()[1].name.substr(list.Entries()[1].name.size() - 8), " (COM34)");
    // Every multi-byte character is whole.
    const std::string name = first.substr(0, first.size() - 8);
    EXPECT_EQ(name.size() % 2, 0u);
}

}  // namespace
