#include "flows/verified_write.h"

#include <algorithm>

#include "codecs/table_codec.h"
#include "flows/read_write_all.h"
#include "flows/station_journal.h"

namespace zarnik {

namespace {

// A read back that came without the table; "none of the items" (-2) is an empty table.
bool ReadBackFailed(int result) { return result < 0 && result != -2; }

constexpr std::size_t kBlocksNamed = 8;

std::string Caption(ETable t) {
    const TTableCodec* codec = FindCodec(t);
    return std::string("«") + (codec != nullptr ? codec->Caption : "?") + "»";
}

std::string DifferenceText(const TTableDifference& d, bool oneBlock) {
    std::string text = Caption(d.Table) + ": ";
    if (!oneBlock) {
        text += d.Blocks.size() == 1 ? "блок " : "блоки ";
        for (std::size_t i = 0; i < d.Blocks.size() && i < kBlocksNamed; ++i)
            text += (i == 0 ? "" : ", ") + std::to_string(d.Blocks[i] + 1);
        if (d.Blocks.size() > kBlocksNamed)
            text += " и еще " + std::to_string(d.Blocks.size() - kBlocksNamed);
        text += ", ";
    }
    text += "различающихся байт: " + std::to_string(d.Bytes) + ", первый — байт " +
            std::to_string(d.FirstByte + 1);
    if (!oneBlock) text += " блока " + std::to_string(d.Blocks.front() + 1);
    return text;
}

}  // namespace

TTableDifference CompareAreas(ETable t, const TRawArea& sent, const TRawArea& back) {
    TTableDifference d{t, {}, 0, 0};
    const std::size_t slots = std::max(sent.Slots.size(), back.Slots.size());
    for (std::size_t i = 0; i < slots; ++i) {
        const auto a = i < sent.Slots.size() ? sent.Slots[i].Valid() : std::span<const std::uint8_t>();
        const auto b = i < back.Slots.size() ? back.Slots[i].Valid() : std::span<const std::uint8_t>();
        const std::size_t common = std::min(a.size(), b.size());
        std::size_t bytes = std::max(a.size(), b.size()) - common;
        std::size_t first = common;
        for (std::size_t k = common; k-- > 0;) {
            if (a[k] == b[k]) continue;
            ++bytes;
            first = k;
        }
        if (bytes == 0) continue;
        if (d.Blocks.empty()) d.FirstByte = first;
        d.Blocks.push_back(i);
        d.Bytes += bytes;
    }
    return d;
}

TVerifyReport VerifyWrittenTables(TMainClass& session, const std::vector<ETable>& written) {
    TVerifyReport report;
    report.Ran = true;
    for (ETable t : written) {
        const TTableCodec* codec = FindCodec(t);
        if (codec == nullptr) continue;
        const TRawArea sent = session.Area(t);
        int result = 0;
        try {
            result = codec->Read(session);
        } catch (...) {
            session.Area(t) = sent;
            throw;
        }
        const TRawArea back = std::move(session.Area(t));
        session.Area(t) = sent;
        const auto changed = static_cast<std::size_t>(ChangeIndex(t));
        if (ReadBackFailed(result)) {
            report.Unread.push_back(t);
            session.ChangeFlags[changed] = true;
            continue;
        }
        TTableDifference d = CompareAreas(t, sent, back);
        if (d.Blocks.empty()) {
            report.Same.push_back(t);
            continue;
        }
        report.Differ.push_back(std::move(d));
        session.ChangeFlags[changed] = true;
    }
    return report;
}

std::string VerifyReportText(const TVerifyReport& report) {
    if (!report.Ran || report.AllSame()) return "";
    std::string text = "Проверка записи:";
    if (!report.Differ.empty()) {
        text += " таблицы, прочитанные из АТС, отличаются от записанных. ";
        for (std::size_t i = 0; i < report.Differ.size(); ++i) {
            const TTableDifference& d = report.Differ[i];
            text += (i == 0 ? "" : "; ") + DifferenceText(d, d.Blocks.size() == 1 && d.Blocks[0] == 0);
        }
        text += ".";
    }
    if (!report.Unread.empty()) {
        text += " Не удалось прочитать из АТС для проверки: " + TableCaptions(report.Unread) + ".";
    }
    return text + " Эти таблицы остались отмеченными для записи в АТС.";
}

int WriteAllSafely(TMainClass& session, TProgress& progress, TDataStream& store,
                   const TWriteSafety& safety, TSafeWriteOutcome& outcome,
                   std::vector<ETable>* failed, std::vector<ETable>* written) {
    outcome = {};
    if (failed != nullptr) failed->clear();
    if (written != nullptr) written->clear();
    if (safety.Backup && safety.Record != nullptr) {
        outcome.Backup = BackUpBeforeWrite(session, store, *safety.Record);
        if (outcome.Backup.Kind == TBackupOutcome::EKind::Failed &&
            session.Dialogs.Question(BackupFailedQuestion(outcome.Backup), "Предупреждение") !=
                TAnswer::Ok)
            return kWriteNoBackup;
    }
    // Filled table by table, so a caller that catches a port failure still knows what went out.
    std::vector<ETable> own;
    std::vector<ETable> ownFailed;
    std::vector<ETable>& took = written != nullptr ? *written : own;
    std::vector<ETable>& refused = failed != nullptr ? *failed : ownFailed;
    // The station's journal records every write that sent something, however it ended.
    const std::vector<ETable> chosen = TablesWriteAllSends(session, store);
    const TIdentity before = session.Identity;
    const auto backup = [&] {
        if (outcome.Backup.Kind == TBackupOutcome::EKind::Saved) return outcome.Backup.Path;
        return safety.Record != nullptr ? safety.Record->LastBackup(before) : std::string();
    };
    int result = 0;
    try {
        result = WriteAll(session, progress, store, &refused, &took);
        if (safety.Verify && result != kWriteOtherStation && result != kWriteCancelled &&
            !took.empty())
            outcome.Verify = VerifyWrittenTables(session, took);
    } catch (const ECancelled&) {
        // result is still 0 when WriteAll itself was stopped; else the read back was.
        RecordWrite(session, chosen, took, refused, result == 0 ? kWriteCancelled : result, false,
                    outcome, backup());
        throw;
    } catch (const ECommError&) {
        RecordWrite(session, chosen, took, refused, result, result == 0, outcome, backup());
        throw;
    }
    RecordWrite(session, chosen, took, refused, result, false, outcome, backup());
    return result;
}

}  // namespace zarnik
