#include "tarsilo/ManufacturerLines.h"

#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/NumText.h"

#include <cstdlib>

namespace {

constexpr size_t kReportLines = 10;

bool IsBlank(std::string_view s) {
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v') return false;
    return true;
}

} // namespace

std::FILE* ManufacturerLines::OpenWrz(const CWrzKatalog& catalogue) {
    return std::fopen(vx::ToFsName(vx::ResolveNoCase(catalogue.WrzPath())).c_str(), "rb");
}

ManufacturerLines::ManufacturerLines(const CWrzKatalog& catalogue, int64_t offset, std::string name)
    : ManufacturerLines(offset < 0 ? nullptr : OpenWrz(catalogue), offset, std::move(name)) {
    ownFile_ = file_ != nullptr;
}

ManufacturerLines::ManufacturerLines(std::FILE* wrz, int64_t offset, std::string name)
    : name_(std::move(name)), file_(wrz), offset_(offset) {
    if (offset < 0 || !file_) {
        ended_ = true;
        return;
    }
    // The offset must start a line: the byte before it is a line feed.
    if (offset > 0) {
        if (fseeko(file_, off_t(offset - 1), SEEK_SET) != 0 || std::fgetc(file_) != '\n') ended_ = true;
    } else if (fseeko(file_, 0, SEEK_SET) != 0) {
        ended_ = true;
    }
}

ManufacturerLines::~ManufacturerLines() {
    std::free(buffer_);
    if (file_ && ownFile_) std::fclose(file_);
    if (skipped_.empty()) return;
    std::string text = "Fehlerhafte Zeilen im Wärmeerzeugerkatalog wurden übersprungen:\n";
    for (size_t i = 0; i < skipped_.size() && i < kReportLines; ++i)
        text += vx::Format("\n%s, Zeile ab Byte %lld: %s", skipped_[i].file, (long long)skipped_[i].offset,
                           skipped_[i].text);
    if (skipped_.size() > kReportLines) text += vx::Format("\n... und %d weitere", int(skipped_.size() - kReportLines));
    vx::ShowMessage(text, vx::MB_OK | vx::MB_ICONEXCLAMATION);
}

int ManufacturerLines::Next(WrzEntry& entry) {
    entry = WrzEntry{};
    if (ended_) return CWrzKatalog::kNotLoaded;
    const ssize_t n = getline(&buffer_, &capacity_, file_);
    if (n <= 0) {
        ended_ = true;
        return CWrzKatalog::kNotLoaded;
    }
    const int64_t at = offset_;
    offset_ += n;
    size_t len = size_t(n);
    if (len && buffer_[len - 1] == '\n') --len;
    if (len && buffer_[len - 1] == '\r') --len;
    const std::string_view line(buffer_, len);

    const std::string_view first = line.substr(0, line.find(';'));
    if (IsBlank(line) || first != name_) {
        ended_ = true;
        return CWrzKatalog::kNotLoaded;
    }
    WrzEntry e;
    const LineCheck c = ParseWrzLine(line, e);
    if (!c.ok) {
        skipped_.push_back({"velmora.wrz", at, c.field, c.text});
        return CWrzKatalog::kBadLine;
    }
    if (e.HasOpenOperation() &&
        vx::ShowMessage(kOpenOperationQuestion, vx::MB_YESNO | vx::MB_ICONQUESTION) == vx::IDYES)
        ApplyOpenOperation(e);
    entry = std::move(e);
    return CWrzKatalog::kLoaded;
}
