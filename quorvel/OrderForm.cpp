#include "quorvel/OrderForm.h"

#include "platform/Files.h"
#include "platform/NumText.h"
#include "platform/Profile.h"
#include "quorvel/QuorvelText.h"
#include "values/Directories.h"

namespace {

constexpr int kRows = 10;

} // namespace

const OrderAddress& TheOrderAddress() {
    static const OrderAddress address{"Trevalen Software GmbH", "Industriestra\xDF" "e 12", "66606 St. Wendel",
                                      "06851 8009-0", "06851 8009-99"};
    return address;
}

std::string CatalogueDate() { return vx::Profile().GetString("Datenbank", "Stand_W", "2002/03"); }

std::string OrderFormLayout() {
    return vx::Profile().GetPath("LuL", "FormWdb", vx::JoinPath(GetDataDir(), "Bestell.LST"));
}

vx::report::PrintEntry OrderFormEntry(const CAnwender& sender, const OrderAddress& address,
                                      const std::string& layoutFile, int mode) {
    using vx::report::ReportJob;
    vx::report::PrintEntry e;
    e.mode = mode;
    e.layoutFile = vx::ResolveNoCase(vx::NormalizeSlashes(layoutFile));
    e.optionsTitle = QuorvelString(IDS_QV_TITLE_ORDER_PRINT);
    e.sourceName = ".\\dblprint";
    e.printStartLine = 107;
    e.previewLine = 168;
    e.designer = vx::Profile().GetInt("LuL", "Designer", 0) != 0;
    e.defineFields = [](ReportJob& job) {
        for (const char* name : {"X", "Y", "Z"}) job.DefineField(name, "");
    };
    const std::string catalogue = CatalogueDate();
    e.defineVariables = [sender, address, catalogue](ReportJob& job) {
        const std::pair<const char*, const std::string*> variables[] = {
            {"Name1", &sender.name1},       {"Name2", &sender.name2},     {"Str", &sender.street},
            {"PLZOrt", &sender.plzOrt},     {"TEL", &sender.telephone},   {"FAX", &sender.fax},
            {"BestName1", &address.firm},   {"BestStr", &address.street}, {"BestOrt", &address.town},
            {"BestFax", &address.fax},      {"Version", &sender.version}, {"VersionDB", &catalogue}};
        for (const auto& [name, value] : variables) job.DefineVariable(name, *value);
    };
    e.setRow = [](ReportJob& job, int row) {
        if (row >= kRows) return false;
        const std::string n = vx::Format("%d", row);
        for (const char* name : {"X", "Y", "Z"}) job.DefineField(name, n);
        return true;
    };
    return e;
}
