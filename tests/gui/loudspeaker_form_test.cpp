// The loudspeaker channel window through its widgets: what it shows, stepping with commit, a
// refused port, and the file round trip of one changed value.
#include "app/loudspeaker_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "editors/loudspeaker_editor.h"
#include "gui/config_file_round_trip.h"
#include "gui/window_test_support.h"

namespace zarnik {
namespace {

using Form = app::TGgsForm;

void Click(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton);
}

TEST(LoudspeakerForm, ShowsTheChannelStepsWithCommitAndListsItsPorts) {
    test::TLoadedWindowStation w("Cedar");
    TDataStream& store = *w.Station.Store;
    ASSERT_GE(store.LoudspeakerCount, 2);
    Form form(w.Ctx());
    form.show();
    EXPECT_EQ(form.windowTitle(), "Программирование каналов ГГС");
    EXPECT_EQ(form.NumberLabel()->text(), "ГГС № 1");
    EXPECT_EQ(form.PortList()->itemText(0), "");
    // Subscriber lines, trunk lines and ports given to a channel; never a system phone.
    for (int i = 1; i < form.PortList()->count(); ++i) {
        const int number = form.PortList()->itemText(i).left(3).toInt();
        for (const TPortPtr& p : store.Ports)
            if (p->Number == number) {
                EXPECT_NE(p->Type, kPortTypeSta) << number;
            }
    }
    const bool wasOff = store.Loudspeakers[0].AutoOff;
    Click(form.AutoOffBox());
    Click(form.NextButton());
    EXPECT_EQ(form.NumberLabel()->text(), "ГГС № 2");
    EXPECT_EQ(store.Loudspeakers[0].AutoOff, !wasOff);
    while (form.Index() < store.LoudspeakerCount - 1) Click(form.NextButton());
    const int last = form.Index();
    Click(form.NextButton());
    EXPECT_EQ(form.Index(), last);
    Click(form.PreviousButton());
    EXPECT_EQ(form.Index(), last - 1);
    test::ExpectUsableByKeyboardAndReader(form);
    if (const QString look = qEnvironmentVariable("ZARNIK_LOOK_DIR"); !look.isEmpty()) {
        form.show();
        QApplication::processEvents();
        form.grab().save(look + "/loudspeakers.png");
    }
}

TEST(LoudspeakerForm, FileRoundTripCarriesExactlyTheChangedPort) {
    test::TLoadedWindowStation w("Birch");
    TMainClass& session = w.Station.Session;
    TDataStream& store = *w.Station.Store;
    ASSERT_GE(store.LoudspeakerCount, 1);
    const std::string dir = w.Station.Dir.Path;
    test::SavedFile(session, store, dir + "/before.ats");
    Form form(w.Ctx());
    form.show();
    // A subscriber line no channel holds yet.
    int choice = -1;
    for (int i = 1; i < form.PortList()->count() && choice < 0; ++i) {
        const QString text = form.PortList()->itemText(i);
        if (text.contains(QStringLiteral(" (")) && i != form.PortList()->currentIndex()) choice = i;
    }
    ASSERT_GT(choice, 0);
    const std::string oldPort = store.Loudspeakers[0].LinkPort;
    const std::string port = form.PortList()->itemText(choice).left(3).toStdString();
    form.PortList()->setCurrentIndex(choice);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(store.Loudspeakers[0].LinkPort, port);
    test::SavedFile(session, store, dir + "/after.ats");
    const std::string key = FindCodec(ETable::Loudspeakers)->Key;
    test::ExpectOnlyThisChange(
        dir + "/before.ats", dir + "/after.ats", ETable::Loudspeakers, [&](nlohmann::json& tables) {
            tables[key][0]["LinkPort"] = port;
            // The port model marks the port now given to the channel,
            // and the one it left is a plain line again unless a door
            // phone holds it.
            // The program-number list and the redirections' states walk the port model too:
            // a port given to a channel is no line to number or redirect.
            const nlohmann::json after = test::LoadedTables(dir + "/after.ats");
            tables["progn"] = after["progn"];
            for (std::size_t i = 0; i < tables["redirect"].size(); ++i)
                tables["redirect"][i]["State"] = after["redirect"][i]["State"];
            bool oldHeld = false;
            for (const auto& d : tables[FindCodec(ETable::DoorPhones)->Key])
                oldHeld = oldHeld || d["LinkPort"] == oldPort;
            for (auto& p : tables["Ports"]) {
                const std::string number = std::to_string(p["Number"].get<int>());
                if (number == port) {
                    p["Type"] = kPortTypeAttachedLoudspeaker;
                    p["Kind"] = "ГГС";
                } else if (number == oldPort && !oldHeld) {
                    p["Type"] = kPortTypeSubscriber;
                    p["Kind"] = "AL";
                }
            }
        });
}

}  // namespace
}  // namespace zarnik
