// "Архив станций" in the desktop program on a simulated station: after a read, a write and a
// second read, the station and its timeline are there; the filter, the keyboard, both
// comparisons and a restore of the oldest backup work as the window promises, and the
// journal records the restore.
#include "app/archive_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/diff_form.h"
#include "flows/station_journal.h"
#include "gui/main_window_rig.h"
#include "support/file_test_helpers.h"

namespace zarnik {
namespace {

using app::TArchiveForm;
using app::TMainForm;
using test::ToggleUniformLoading;
using test::WithModal;

// Types the text letter by letter, as a keyboard with a Russian layout would.
void Type(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

// Rows of the timeline of that kind, newest first.
std::vector<QTreeWidgetItem*> RowsOf(const TArchiveForm& f, EArchiveKind kind) {
    std::vector<QTreeWidgetItem*> rows;
    QTreeWidget* t = f.TimelineTree();
    for (int i = 0; i < t->topLevelItemCount(); ++i)
        if (t->topLevelItem(i)->text(1) == QString::fromUtf8(ArchiveKindText(kind)))
            rows.push_back(t->topLevelItem(i));
    return rows;
}

// Chooses exactly these rows, the last one current, as Shift and Ctrl clicks would.
void Choose(TArchiveForm& f, const std::vector<QTreeWidgetItem*>& rows) {
    f.TimelineTree()->clearSelection();
    for (QTreeWidgetItem* r : rows) r->setSelected(true);
    f.TimelineTree()->setCurrentItem(rows.back(), 0, QItemSelectionModel::NoUpdate);
}

std::vector<TJournalEntry> Writes(const std::string& baseDir) {
    std::vector<TJournalEntry> writes;
    for (const TJournalEntry& e : ReadJournal(JournalPath(baseDir, "6105")).Entries)
        if (e.Kind == kJournalWrite) writes.push_back(e);
    return writes;
}

TEST(ArchiveWindow, ReadsAndAWriteArePicturedComparedOpenedAndRestoredFromTheKeyboard) {
    test::TMainWindowRig rig({"--model", "Dogwood", "--stopped-clock"});
    TMainForm& w = rig.Open(app::EStartChoice::Station);
    const bool before = rig.Store().SystemSettings.SYS_UniformSLLoading;
    ToggleUniformLoading(w);
    w.Run(ECommand::WriteStation);
    w.WritePanel()->ActionButton()->click();
    ASSERT_FALSE(w.HasUnsavedEdits());
    w.Run(ECommand::ReadStation);
    w.ReadPanel()->ActionButton()->click();
    ASSERT_EQ(Writes(rig.Dir.Path).size(), 1u);

    std::string oldest;
    WithModal<TArchiveForm>([&] { w.Run(ECommand::Archive); }, [&](TArchiveForm& f) {
        ASSERT_EQ(f.StationTree()->topLevelItemCount(), 1);
        EXPECT_EQ(f.StationTree()->topLevelItem(0)->text(0), QStringLiteral("6105"));
        EXPECT_EQ(f.StationTree()->topLevelItem(0)->text(1), QStringLiteral("Офис"));
        EXPECT_EQ(f.StationTitle()->text(), QStringLiteral("АТС 6105, Офис, Dogwood, версия 24,8"));
        ASSERT_EQ(RowsOf(f, EArchiveKind::Read).size(), 2u);
        ASSERT_EQ(RowsOf(f, EArchiveKind::Write).size(), 1u);
        const auto backups = RowsOf(f, EArchiveKind::Backup);
        ASSERT_EQ(backups.size(), 2u) << "one of each whole read; the write used the first";
        EXPECT_EQ(RowsOf(f, EArchiveKind::Write)[0]->text(3).left(8), QStringLiteral("записано"));

        // The filter from the keyboard: a miss empties the timeline, any letter case finds it.
        QApplication::setActiveWindow(&f);
        ASSERT_EQ(f.focusWidget(), f.FilterEdit());
        Type(f.FilterEdit(), QStringLiteral("нет такой"));
        EXPECT_TRUE(f.StationTree()->topLevelItem(0)->isHidden());
        EXPECT_EQ(f.StationTitle()->text(), QStringLiteral("АТС не выбрана."));
        EXPECT_EQ(f.TimelineTree()->topLevelItemCount(), 0);
        EXPECT_FALSE(f.RestoreButton()->isEnabled());
        f.FilterEdit()->clear();
        Type(f.FilterEdit(), QStringLiteral("оФИс"));
        EXPECT_FALSE(f.StationTree()->topLevelItem(0)->isHidden());
        ASSERT_EQ(RowsOf(f, EArchiveKind::Read).size(), 2u);
        // Enter in the search goes on to the stations and closes nothing; Tab to the timeline.
        QTest::keyClick(f.FilterEdit(), Qt::Key_Return);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.focusWidget(), f.StationTree());
        QTest::keyClick(f.StationTree(), Qt::Key_Tab);
        EXPECT_EQ(f.focusWidget(), f.TimelineTree());
        f.FilterEdit()->clear();
        EXPECT_FALSE(f.StationTree()->topLevelItem(0)->isHidden());

        // Two backups compared: the setting the write changed, and nothing else.
        const auto files = RowsOf(f, EArchiveKind::Backup);
        Choose(f, files);
        EXPECT_TRUE(f.CompareButton()->isEnabled());
        EXPECT_FALSE(f.OpenButton()->isEnabled()) << "one file is opened at a time";
        const QString pictures = qEnvironmentVariable("ZARNIK_SCREENSHOT_DIR");
        if (!pictures.isEmpty()) {
            QApplication::processEvents();
            QDir().mkpath(pictures);
            EXPECT_TRUE(f.grab().save(QDir(pictures).filePath(QStringLiteral("archive.png"))));
        }
        WithModal<app::TDiffForm>([&] { f.CompareButton()->click(); }, [](app::TDiffForm& d) {
            EXPECT_EQ(d.Diff().Items.size(), 1u) << d.Text();
            EXPECT_NE(d.Text().find("Равномерная загрузка СЛ"), std::string::npos) << d.Text();
            d.reject();
        });

        // The oldest backup against the configuration in hand (read after the write).
        Choose(f, {files.back()});
        oldest = f.Archive().Timeline("6105").back().Path;
        EXPECT_TRUE(f.CompareHandButton()->isEnabled());
        WithModal<app::TDiffForm>([&] { f.CompareHandButton()->click(); }, [](app::TDiffForm& d) {
            EXPECT_EQ(d.Diff().Items.size(), 1u) << d.Text();
            d.reject();
        });

        // Declining the restore question leaves the window open and the station alone.
        const TArchiveStation& station = *f.Archive().Find("6105");
        const TArchiveEvent file = f.Archive().Timeline("6105").back();
        rig.Dialogs.ExpectQuestion(RestoreQuestion(station, file), TAnswer::Cancel);
        f.RestoreButton()->click();
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.Request().has_value());

        // Enter on a file opens it.
        f.TimelineTree()->setFocus();
        QTest::keyClick(f.TimelineTree(), Qt::Key_Return);
        ASSERT_TRUE(f.Request().has_value());
        EXPECT_EQ(f.Request()->Action, app::TArchiveRequest::EAction::Open);
        EXPECT_EQ(f.Request()->Path, oldest);
        EXPECT_FALSE(f.isVisible());
    });
    ASSERT_FALSE(oldest.empty());
    EXPECT_EQ(w.ShownPanel(), w.LoadPanel());
    EXPECT_EQ(w.LoadPanel()->FileName().toStdString(), oldest);
    ASSERT_EQ(Writes(rig.Dir.Path).size(), 1u);

    // Restoring the oldest backup writes it back, verified, and the journal records it.
    WithModal<TArchiveForm>([&] { w.Run(ECommand::Archive); }, [&](TArchiveForm& f) {
        QApplication::setActiveWindow(&f);
        QTest::keyClick(f.FilterEdit(), Qt::Key_Tab);
        QTest::keyClick(f.StationTree(), Qt::Key_Tab);
        QTest::keyClick(f.TimelineTree(), Qt::Key_End);
        Choose(f, {f.TimelineTree()->currentItem()});
        const TArchiveEvent file = f.Archive().Timeline("6105").back();
        ASSERT_EQ(file.Path, oldest);
        rig.Dialogs.ExpectQuestion(RestoreQuestion(*f.Archive().Find("6105"), file), TAnswer::Ok);
        f.RestoreButton()->click();
    });
    const std::vector<TJournalEntry> writes = Writes(rig.Dir.Path);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[1].SourceFile, oldest);
    EXPECT_EQ(writes[1].Result, kWriteResultWritten);
    EXPECT_EQ(writes[1].Verified, "yes");
    EXPECT_EQ(writes[1].Program, "zarnik");
    EXPECT_EQ(rig.Store().SystemSettings.SYS_UniformSLLoading, before);
    EXPECT_FALSE(w.HasUnsavedEdits());
    EXPECT_TRUE(rig.Dialogs.AllSeen());

    // Escape closes the window and asks for nothing.
    WithModal<TArchiveForm>([&] { w.Run(ECommand::Archive); }, [&](TArchiveForm& f) {
        QApplication::setActiveWindow(&f);
        EXPECT_EQ(RowsOf(f, EArchiveKind::Write).size(), 2u);
        QTest::keyClick(f.FilterEdit(), Qt::Key_Escape);
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(f.Request().has_value());
    });
}

// A file goes back only to the station it was taken from: with another station on the line,
// the restore says so and writes nothing.
TEST(ArchiveWindow, RestoringToAnotherStationWritesNothing) {
    // A backup of station 6105, kept while its folder is there.
    std::string name, bytes;
    {
        test::TMainWindowRig office;
        office.Open(app::EStartChoice::Station);
        for (const auto& e : std::filesystem::directory_iterator(office.Dir.Path + "/dat/auto"))
            if (e.path().extension() == ".ats") {
                name = e.path().filename().string();
                bytes = test::ReadBytes(e.path().string());
            }
    }
    ASSERT_FALSE(bytes.empty());
    test::TMainWindowRig rig({"--model", "Dogwood", "--serial", "4321"});
    TMainForm& w = rig.Open(app::EStartChoice::Station);
    test::WriteBytes(rig.Dir.Path + "/dat/auto/" + name, bytes);
    const std::string refused = OtherStationOnLineText("6105", "4321");
    WithModal<TArchiveForm>([&] { w.Run(ECommand::Archive); }, [&](TArchiveForm& f) {
        ASSERT_EQ(f.StationTree()->topLevelItemCount(), 2);
        ASSERT_TRUE(f.ChooseStation("6105"));
        const auto files = RowsOf(f, EArchiveKind::Backup);
        ASSERT_EQ(files.size(), 1u);
        Choose(f, files);
        rig.Dialogs.ExpectQuestion(RestoreQuestion(*f.Archive().Find("6105"), f.Archive().Timeline("6105")[0]),
                                   TAnswer::Ok);
        rig.Dialogs.ExpectMessage(refused);
        f.RestoreButton()->click();
    });
    EXPECT_TRUE(rig.Dialogs.AllSeen());
    EXPECT_EQ(w.WritePanel()->Status()->text().toStdString(), refused);
    EXPECT_TRUE(ReadJournal(JournalPath(rig.Dir.Path, "4321")).Entries.size() == 1u) << "the read only";
    EXPECT_FALSE(std::filesystem::exists(JournalPath(rig.Dir.Path, "6105")));
}

// A measurement rather than a check of every run: the archive that build/archive_bench leaves
// with ZARNIK_ARCHIVE_BENCH_KEEP=1 (100 stations, 50 backups and 10,000 journal records each)
// opens in the window, first station's timeline shown, within a second, cached or not.
TEST(ArchiveWindow, OpensABigArchiveWithinASecond) {
    const std::string dir = qEnvironmentVariable("ZARNIK_ARCHIVE_DIR").toStdString();
    if (dir.empty()) GTEST_SKIP() << "ZARNIK_ARCHIVE_DIR is not set";
    test::TScriptedDialogs dialogs(false);
    app::TAppContext ctx;
    ctx.Dialogs = &dialogs;
    ctx.StartDir = dir;
    for (const bool cached : {false, true}) {
        if (!cached) std::filesystem::remove(dir + "/dat/auto/" + kArchiveCacheName);
        const auto start = std::chrono::steady_clock::now();
        TArchiveForm form(ctx);
        form.show();
        QApplication::processEvents();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        std::printf("archive window, %s: %lld ms, %d stations, %d timeline rows\n",
                    cached ? "cached" : "nothing cached", static_cast<long long>(ms),
                    form.StationTree()->topLevelItemCount(),
                    form.TimelineTree()->topLevelItemCount());
        EXPECT_EQ(form.StationTree()->topLevelItemCount(), 100);
        EXPECT_GT(form.TimelineTree()->topLevelItemCount(), 10000);
        EXPECT_LT(ms, 1000);
    }
}

}  // namespace
}  // namespace zarnik
