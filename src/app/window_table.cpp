#include "app/window_table.h"

#include "app/about_form.h"
#include "app/bw_list_form.h"
#include "app/clearing_form.h"
#include "app/clock_form.h"
#include "app/composition_form.h"
#include "app/conference_form.h"
#include "app/constructor_form.h"
#include "app/diff_form.h"
#include "app/directory_export_form.h"
#include "app/directory_import_form.h"
#include "app/cross_connect_form.h"
#include "app/door_phone_form.h"
#include "app/global_phone_book_form.h"
#include "app/group_phone_book_form.h"
#include "app/groups_lines_form.h"
#include "app/help.h"
#include "app/loudspeaker_form.h"
#include "app/options_form.h"
#include "app/program_numbers_form.h"
#include "app/redirections_form.h"
#include "app/report_form.h"
#include "app/routing_table_form.h"
#include "app/sta_buttons_form.h"
#include "app/system_settings_form.h"
#include "app/time_settings_form.h"
#include "app/trunks_bulk_form.h"

namespace zarnik::app {

namespace {

template <typename TForm>
bool Exec(const TAppContext& ctx, QWidget* parent) {
    TForm form(ctx, parent);
    return form.exec() == QDialog::Accepted;
}

}  // namespace

bool OpenCommandWindow(ECommand c, const TAppContext& ctx, QWidget* parent) {
    switch (c) {
        case ECommand::SystemSettings:
            return Exec<TSystemSettingsForm>(ctx, parent);
        case ECommand::TimeSettings:
            return Exec<TTimeSettingsForm>(ctx, parent);
        case ECommand::Composition:
            return Exec<TATSComplectForm>(ctx, parent);
        case ECommand::CreateFile:
            return Exec<TConstructorForm>(ctx, parent);
        case ECommand::Clearing:
            return Exec<TClearingForm>(ctx, parent);
        case ECommand::DoorPhones:
            return Exec<TDomofonForm>(ctx, parent);
        case ECommand::Loudspeakers:
            return Exec<TGgsForm>(ctx, parent);
        case ECommand::Report:
            return Exec<TReportForm>(ctx, parent);
        case ECommand::GlobalPhoneBook:
            return Exec<TGlobalPhoneBookForm>(ctx, parent);
        case ECommand::GroupPhoneBooks:
            return Exec<TGroupPhoneBookForm>(ctx, parent);
        case ECommand::BlackWhiteLists:
            return Exec<TBwListForm>(ctx, parent);
        case ECommand::RoutingTables:
            return Exec<TRoutingTableForm>(ctx, parent);
        case ECommand::Conferences:
            return Exec<TConferenceForm>(ctx, parent);
        case ECommand::CompareFile:
            return CompareWithFile(ctx, parent);
        case ECommand::DirectoryExport:
            return Exec<TDirectoryExportForm>(ctx, parent);
        case ECommand::DirectoryImport:
            return Exec<TDirectoryImportForm>(ctx, parent);
        case ECommand::CrossConnect:
            return Exec<TCrossConnectForm>(ctx, parent);
        case ECommand::StaButtons:
            return TStaButtonsForm::Open(ctx, parent);
        case ECommand::TrunksBulk:
            return OpenTrunksBulkWindow(ctx, parent);
        case ECommand::GroupsLines:
            return Exec<TGroupsLinesForm>(ctx, parent);
        case ECommand::ProgramNumbers:
            return Exec<TPrgNumForm>(ctx, parent);
        case ECommand::Redirections:
            return Exec<TRedirectForm>(ctx, parent);
        case ECommand::Options:
            return Exec<TOptionsForm>(ctx, parent);
        case ECommand::About:
            return Exec<TAboutForm>(ctx, parent);
        case ECommand::Help:
            OpenHelp(ctx.StartDir, ctx.Dlg());
            return true;
        case ECommand::StationClock:
            OpenStationClockWindow(ctx, true, parent);
            return true;
        default:
            return false;
    }
}

void OpenStationClockWindow(const TAppContext& ctx, bool calendarToday, QWidget* parent) {
    TClockForm form(ctx, calendarToday, parent);
    form.exec();
}

}  // namespace zarnik::app
