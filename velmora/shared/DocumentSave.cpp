#include "velmora/shared/DocumentSave.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"
#include "velmora/shared/CommandIds.h"
#include "velmora/shared/ProgramSettings.h"
#include "velmora/shared/DialogRules.h"

#include <wx/app.h>
#include <wx/docview.h>
#include <wx/filedlg.h>

#include <filesystem>
#include <system_error>

namespace {

SavePathChooser& StandIn() {
    static SavePathChooser chooser;
    return chooser;
}

std::string AskSavePath(const std::string& directory, const std::string& name) {
    wxFileDialog dialog(wxTheApp->GetTopWindow(), vx::ToWx(vx::LoadString(IDS_SPEICHERN_UNTER)),
                        vx::ToWxPath(directory), vx::ToWxPath(name),
                        vx::ToWx(FileDialogFilter(vx::LoadString(IDS_OPEN_FILTER))),
                        wxFD_SAVE);
    return dialog.ShowModal() == wxID_OK ? vx::FromWxPath(dialog.GetPath()) : std::string();
}

} // namespace

void SetSaveDialogStandIn(SavePathChooser chooser) { StandIn() = std::move(chooser); }

bool AskToSaveChanges(wxDocument& doc) {
    const std::string question = vx::Format(vx::LoadString(IDS_ASK_TO_SAVE), vx::FromWx(doc.GetUserReadableName()));
    switch (vx::ShowMessage(question, vx::MB_YESNOCANCEL | vx::MB_ICONEXCLAMATION)) {
    case vx::IDYES:
        return doc.Save();
    case vx::IDNO:
        doc.Modify(false);
        return true;
    default:
        return false;
    }
}

std::string ChooseSavePath(const wxDocument& doc, const std::string& extension) {
    const std::string current = vx::FromWxPath(doc.GetFilename());
    std::string name = vx::BaseName(current);
    if (name.empty()) name = "unbenannt";
    if (name.find('.') == std::string::npos) name += extension;
    const std::string directory = current.find('/') != std::string::npos ? vx::DirName(current) : OpenDialogDirectory();
    const SavePathChooser& chooser = StandIn();
    std::string path = chooser ? chooser(directory, name) : AskSavePath(directory, name);
    if (!path.empty() && vx::BaseName(path).find('.') == std::string::npos) path += extension;
    // Asked here, after the extension: the dialog would not know the name it gets.
    if (!path.empty() && !MayReplace(doc, path)) return {};
    return path;
}

bool MayReplace(const wxDocument& doc, const std::string& path) {
    if (!vx::FileExists(path)) return true;
    if (doc.GetDocumentSaved()) {
        const std::string own = vx::FromWxPath(doc.GetFilename());
        std::error_code error;
        if (own == path || std::filesystem::equivalent(own, path, error)) return true;
    }
    const std::string question =
        vx::Format(vx::LoadString(IDS_DATEI_ERSETZEN), vx::PathForDisplay(vx::BaseName(path)).c_str());
    // "Nein" is the default: Enter alone never costs the other file.
    return vx::ShowMessage(question, vx::MB_YESNO | vx::MB_ICONEXCLAMATION | vx::MB_DEFBUTTON2) == vx::IDYES;
}

void TakeNameFromProject(wxDocument& doc, const std::string& path) {
    const bool renamed = vx::FromWxPath(doc.GetFilename()) != path;
    doc.SetTitle(vx::ToWxPath(vx::BaseName(path)));
    doc.SetFilename(vx::ToWxPath(path), true);
    if (renamed) doc.SetDocumentSaved(false);
}
