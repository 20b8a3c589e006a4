// The comparison window: opened from the menu command with a file, the differences in a tree
// with a count per table, and the list saved as text.
#include "app/diff_form.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>

#include "app/window_table.h"
#include "gui/window_test_support.h"
#include "model/broadcaster.h"
#include "platform/file_system.h"
#include "platform/text_1251.h"
#include "support/file_test_helpers.h"

namespace zarnik {
namespace {

// The configuration in hand, and a file of the same station with a line's direct call and two
// trunk lines' auto-dial changed.
struct TDiffWindow {
    TDiffWindow() {
        w.Station.Store->Names->SetPortName(0, Utf8ToCp1251("Иванов"));
        test::TLoadedStation edited("Dogwood");
        edited.Store->Lines[0].ALDirectCall = "42";
        edited.Store->TrunkLines[0].SL_AutoDial = "111";
        edited.Store->TrunkLines[1].SL_AutoDial = "222";
        for (ETable t : {ETable::SubscriberLines, ETable::TrunkLines})
            FindCodec(t)->Encode(edited.Session, *edited.Store);
        const auto bytes = test::SavedBytes(edited.Session);
        File = w.Station.Dir.Path + "/edited.ats";
        EXPECT_TRUE(
            WriteFileAtomically(File, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}));
    }
    // Opens the window through the menu command and hands it to `check` while it is shown.
    void Open(const std::function<void(app::TDiffForm&)>& check) {
        w.Dialogs.ExpectOpen(File);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* form = qobject_cast<app::TDiffForm*>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            seen = true;
            check(*form);
            form->CloseButton()->click();
        });
        EXPECT_TRUE(app::OpenCommandWindow(ECommand::CompareFile, w.Ctx(), nullptr));
        EXPECT_TRUE(seen);
    }
    test::TLoadedWindowStation w{"Dogwood"};
    std::string File;
};

std::string Port(int lineIndex) {
    return std::to_string(TBroadcaster::GetPortNumFromIndex("Dogwood", lineIndex));
}

std::string TrunkPort(int index) {
    return std::to_string(TBroadcaster::GetPortNumFromSLIndex("Dogwood", index));
}

TEST(DiffForm, TheTreeGroupsTablesRecordsAndFieldsWithTheirCounts) {
    TDiffWindow t;
    t.Open([&](app::TDiffForm& form) {
        EXPECT_EQ(form.windowTitle(), "Сравнение с файлом конфигурации");
        QTreeWidget* tree = form.Tree();
        EXPECT_EQ(tree->headerItem()->text(1), "Здесь");
        EXPECT_EQ(tree->headerItem()->text(2), "В файле");
        ASSERT_EQ(tree->topLevelItemCount(), 2);
        QTreeWidgetItem* lines = tree->topLevelItem(0);
        QTreeWidgetItem* trunks = tree->topLevelItem(1);
        EXPECT_EQ(lines->text(0), "Установки АЛ (1 различие)");
        EXPECT_EQ(trunks->text(0), "Установка СЛ (2 различия)");
        ASSERT_EQ(lines->childCount(), 1);
        EXPECT_EQ(lines->child(0)->text(0).toStdString(), Port(0) + " Иванов");
        ASSERT_EQ(lines->child(0)->childCount(), 1);
        QTreeWidgetItem* field = lines->child(0)->child(0);
        EXPECT_EQ(field->text(0), "Прямой вызов");
        EXPECT_EQ(field->text(2), "42");
        EXPECT_NE(field->text(1), "42");
        ASSERT_EQ(trunks->childCount(), 2);
        EXPECT_EQ(trunks->child(1)->text(0).toStdString(), TrunkPort(1));
        EXPECT_EQ(trunks->child(1)->child(0)->text(2), "222");
        EXPECT_TRUE(form.Summary()->text().contains("Всего: 3 различия."));
        EXPECT_TRUE(form.Summary()->text().contains("edited.ats"));
        EXPECT_TRUE(form.ExportButton()->isEnabled());
        test::ExpectUsableByKeyboardAndReader(form);
    });
    EXPECT_TRUE(t.w.Dialogs.AllSeen());
}

TEST(DiffForm, TheListIsSavedAsTextButNeverOverAConfigurationFile) {
    TDiffWindow t;
    const std::string text = t.w.Station.Dir.Path + "/differences.txt";
    const std::string config = t.w.Station.Dir.Path + "/keep.ats";
    ASSERT_TRUE(WriteFileAtomically(config, "configuration"));
    t.Open([&](app::TDiffForm& form) {
        t.w.Dialogs.ExpectSave(config).ExpectMessage();
        form.ExportButton()->click();
        t.w.Dialogs.ExpectSave(text);
        form.ExportButton()->click();
        t.w.Dialogs.ExpectSave(std::nullopt);  // cancelled: nothing happens
        form.ExportButton()->click();
        EXPECT_EQ(ReadWholeFile(text).value_or(""), form.Text());
    });
    EXPECT_TRUE(t.w.Dialogs.AllSeen());
    EXPECT_EQ(ReadWholeFile(config).value_or(""), "configuration");
    const std::string saved = ReadWholeFile(text).value_or("");
    EXPECT_NE(saved.find("\n[Установка СЛ] 2 различия\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\n  " + TrunkPort(1) + ": Автонабор: — | 222\n"), std::string::npos)
        << saved;
}

TEST(DiffForm, AnEqualFileSaysSoAndAFileThatDoesNotLoadOpensNothing) {
    test::TLoadedWindowStation w("Dogwood");
    const auto bytes = test::SavedBytes(w.Station.Session);
    const std::string same = w.Station.Dir.Path + "/same.ats";
    ASSERT_TRUE(
        WriteFileAtomically(same, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}));
    w.Dialogs.ExpectOpen(same);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<app::TDiffForm*>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        seen = true;
        EXPECT_EQ(form->Tree()->topLevelItemCount(), 0);
        EXPECT_TRUE(form->Summary()->text().contains("Конфигурации совпадают."));
        EXPECT_FALSE(form->ExportButton()->isEnabled());
        form->CloseButton()->click();
    });
    EXPECT_TRUE(app::OpenCommandWindow(ECommand::CompareFile, w.Ctx(), nullptr));
    EXPECT_TRUE(seen);

    // Cancelled, or a file that is not there: no window.
    w.Dialogs.ExpectOpen(std::nullopt);
    EXPECT_FALSE(app::OpenCommandWindow(ECommand::CompareFile, w.Ctx(), nullptr));
    w.Dialogs.ExpectOpen(w.Station.Dir.Path + "/missing.ats").ExpectMessage();
    EXPECT_FALSE(app::OpenCommandWindow(ECommand::CompareFile, w.Ctx(), nullptr));
    EXPECT_TRUE(w.Dialogs.AllSeen());
}

TEST(DiffForm, Screenshot) {
    const QString dir = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "ZARNIK_SCREENSHOT_DIR is not set";
    TDiffWindow t;
    t.Open([&](app::TDiffForm& form) {
        QApplication::processEvents();
        QDir().mkpath(dir);
        EXPECT_TRUE(form.grab().save(QDir(dir).filePath(QStringLiteral("diff_form.png"))));
    });
}

}  // namespace
}  // namespace zarnik
