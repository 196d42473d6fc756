#include "quorvel/fields/FieldResources.h"

#include "platform/Files.h"
#include "platform/StringTable.h"
#include "platform/wx/WxText.h"

#include <wx/menu.h>
#include <wx/xml/xml.h>
#include <wx/xrc/xmlres.h>

#include <map>
#include <memory>
#include <set>
#include <string>

namespace {
std::string ResourcePath() {
    return vx::JoinPath(vx::JoinPath(vx::ResourceDir(), "quorvel"), "fields.xrc");
}
} // namespace

wxString FieldTemplateName(int libraryId, const FieldsDeliverable& fields) {
    return wxString::Format("%d", fields.TemplateId(libraryId));
}

bool LoadFieldResources(const FieldsDeliverable& fields) {
    static std::set<int> loaded;
    if (loaded.count(fields.templateOffset)) return true;
    auto doc = std::make_unique<wxXmlDocument>();
    if (!doc->Load(vx::ToWxPath(ResourcePath()))) return false;
    // The file names the library's templates; another deliverable's are offset.
    for (wxXmlNode* node = doc->GetRoot()->GetChildren(); node; node = node->GetNext()) {
        if (node->GetType() != wxXML_ELEMENT_NODE || node->GetAttribute("class") != "wxDialog") continue;
        long id = 0;
        if (node->GetAttribute("name").ToLong(&id)) {
            node->DeleteAttribute("name");
            node->AddAttribute("name", FieldTemplateName(int(id), fields));
        }
    }
    wxXmlResource* res = wxXmlResource::Get();
    res->InitAllHandlers();
    if (!res->LoadDocument(doc.release(), wxString::Format("vx-fields-%d", fields.templateOffset))) return false;
    loaded.insert(fields.templateOffset);
    return true;
}

wxString FieldMenuLabel(int libraryId) {
    static std::map<int, wxString> labels;
    if (labels.empty()) {
        LoadFieldResources(QuorvelFields());
        std::unique_ptr<wxMenu> menu(wxXmlResource::Get()->LoadMenu("106"));
        if (menu)
            for (wxMenuItem* item : menu->GetMenuItems())
                if (!item->IsSeparator()) labels[item->GetId()] = item->GetItemLabel();
    }
    auto it = labels.find(WxCommandId(libraryId));
    return it == labels.end() ? wxString() : it->second;
}
