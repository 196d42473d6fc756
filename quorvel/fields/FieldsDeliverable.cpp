#include "quorvel/fields/FieldsDeliverable.h"

#include "platform/Files.h"
#include "platform/StringTable.h"

std::string FieldsDeliverable::Load(unsigned id) const {
    return (strings ? *strings : vx::Strings()).Get(id);
}

const FieldsDeliverable& QuorvelFields() {
    static const FieldsDeliverable fields;
    return fields;
}

const FieldsDeliverable& TarsiloFields() {
    static const FieldsDeliverable fields = [] {
        FieldsDeliverable f;
        f.name = "tarsilo";
        f.templateOffset = 10000;
        f.cmdPreset = 32774;
        f.cmdProposal = 32779;
        f.cmdChoice = 32786;
        f.cmdUnit = 32781;
        f.cmdInput = 32785;
        f.cmdHelp = 32777;
        f.idsNextWrong = 1470;
        f.idsHelpPrompt = 40;
        f.messageMode = 2;
        f.stringFile = "fields_tarsilo.txt";
        return f;
    }();
    return fields;
}

namespace {
FieldsDeliverable& Active() {
    static FieldsDeliverable fields = QuorvelFields();
    return fields;
}
} // namespace

const FieldsDeliverable& ActiveFields() { return Active(); }
void SetActiveFields(const FieldsDeliverable& fields) { Active() = fields; }

bool LoadFieldStrings(const FieldsDeliverable& fields) {
    vx::StringTable& table = fields.strings ? *fields.strings : vx::Strings();
    const std::string dir = vx::JoinPath(vx::ResourceDir(), "quorvel");
    return table.LoadFile(vx::JoinPath(dir, fields.stringFile));
}
