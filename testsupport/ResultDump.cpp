#include "testsupport/ResultDump.h"

#include "model/CGrunddaten.h"
#include "testsupport/model/ChainTestEnv.h"
#include "model/CrossSectionTables.h"
#include "model/FuelTable.h"
#include "model/ModelText.h"
#include "platform/Files.h"
#include "platform/MessageService.h"
#include "platform/Profile.h"
#include "tarsilo/CTarsiloDocCore.h"
#include "testsupport/SampleChains.h"
#include "testsupport/ScratchDir.h"
#include "testsupport/SyntheticCatalogue.h"
#include "velmora/CVelmoraDocCore.h"
#include "velmora/VelmoraSettings.h"
#include "velmora/shared/CWrzKatalogWaerme.h"
#include "velmora/shared/ProgramSettings.h"

#include <charconv>
#include <filesystem>
#include <memory>
#include <sstream>

namespace resultdump {
namespace {

// Lines of "name value" pairs.
class Line {
public:
    explicit Line(std::string& out, const std::string& head) : out_(out) { out_ += head; }
    ~Line() { out_ += '\n'; }
    Line& operator()(const char* name, double v) {
        out_ += ' ';
        out_ += name;
        out_ += '=';
        out_ += Hex(v);
        return *this;
    }
    Line& Int(const char* name, long v) {
        out_ += ' ';
        out_ += name;
        out_ += '=';
        out_ += std::to_string(v);
        return *this;
    }
    Line& Text(const char* name, const std::string& v) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        for (char c : v) {
            if (c == '\n') out_ += "\\n";
            else if (c == '\r') out_ += "\\r";
            else out_ += c;
        }
        out_ += '"';
        return *this;
    }

private:
    std::string& out_;
};

void DumpResult(std::string& out, const std::string& head, const CErgebnis& r) {
    Line l(out, head);
    l("draught", r.draught)("required", r.required)("kOutlet", r.kOutlet)("innerWall", r.innerWallTemperature)(
        "outletT", r.outletTemperature)("x1", r.extra1)("x2", r.extra2)("x3", r.extra3)("x4", r.extra4)(
        "x5", r.extra5)("limitT", r.limitTemperature)("airSupply", r.airSupplyPressure)("airRho", r.airDensity)(
        "chimneyR", r.chimneyResistance)("preset", r.presetValue);
    l.Int("load", r.loadMode).Int("flags", r.caseFlags).Int("ok", r.ok).Int("c1", r.criterion1);
    l.Int("c2", r.criterion2).Int("c3", r.criterion3).Int("c4", r.criterion4).Int("c5", r.criterion5);
    l.Int("c6", r.criterion6).Int("c7", r.criterion7).Int("shape", r.shape);
    for (int i = 0; i < 5; ++i) l("size", r.sizes[i]);
    for (int i = 0; i < 5; ++i) l.Text("t", r.texts[i]);
    l.Text("text", r.text);
}

void DumpResults(std::string& out, const std::vector<std::unique_ptr<CErgebnis>>& results) {
    for (size_t i = 0; i < results.size(); ++i) DumpResult(out, " result " + std::to_string(i), *results[i]);
}

void DumpRecord(std::string& out, const std::string& head, const CRechnen& r) {
    Line l(out, head);
    const CWDouble* stoff[] = {&r.firstValue, &r.cp,          &r.gasConstant,    &r.h2o,      &r.dewPoint,
                               &r.dryLength,  &r.lambda,      &r.eta,            &r.rho,      &r.w,
                               &r.reynolds,   &r.prandtl,     &r.nusselt,        &r.alphaInner, &r.psi,
                               &r.psiSmooth,  &r.partialPressure, &r.rhoInlet,   &r.wInlet,   &r.rhoOutlet,
                               &r.wOutlet,    &r.wallResistance};
    for (const CWDouble* c : stoff) l("v", c->value);
    l.Int("state", r.state).Int("floored", r.reynoldsFloored);
    const CWDouble* rec[] = {&r.k,  &r.kb, &r.coolingNumber, &r.tm, &r.to, &r.te, &r.innerWallOutlet,
                             &r.Rf, &r.PR, &r.PH, &r.PG, &r.junctionPressure1, &r.junctionPressure2,
                             &r.junctionCoeff1, &r.junctionCoeff2, &r.innerWallInletB, &r.innerWallOutletB};
    for (const CWDouble* c : rec) l("r", c->value);
    for (int i = 0; i < 5; ++i) l("lm", r.layerMean[i].value)("li", r.layerInlet[i].value)("lo", r.layerOutlet[i].value);
    l("refFlow", r.referenceMassFlow)("flow", r.massFlow)("gCo2", r.generatorCo2)("gT", r.generatorTemperature)(
        "gF", r.generatorFurther)("junction", r.junctionCollected)("cCo2", r.copyCo2)("cT", r.copyTemperature)(
        "cF", r.copyFurther)("loss", r.pressureLoss)("draught", r.draught)("airLoss", r.airSideLoss)(
        "extraAlpha", r.extraAlpha)("spare", r.spareZero);
    l.Int("coeff", r.coefficientFlag).Int("spareWord", r.spareWord).Text("wetDry", r.wetDryText);
}

void DumpRecords(std::string& out, const char* what, const std::vector<std::unique_ptr<CRechnen>>& temperature,
                 const std::vector<std::unique_ptr<CRechnen>>& pressure) {
    for (size_t i = 0; i < temperature.size(); ++i)
        DumpRecord(out, std::string(" ") + what + " temperature " + std::to_string(i), *temperature[i]);
    for (size_t i = 0; i < pressure.size(); ++i)
        DumpRecord(out, std::string(" ") + what + " pressure " + std::to_string(i), *pressure[i]);
}

// The profile of a section of the dump, in a scratch directory of its own.
class OwnProfile {
public:
    explicit OwnProfile(const char* program) : scratch_("vxresultdump") {
        vx::Profile().Select(vx::ProfileStore::IniBesideProgram, program);
        vx::Profile().UseFile(scratch_.File("profile.ini"));
        CWerte::ForgetUndoSize();
    }
    const std::string& dir() const { return scratch_.Path(); }

private:
    vx::ScratchDir scratch_;
};

// Nobody answers: open fireplaces are computed closed.
class AnswerNo : public vx::MessageService {
public:
    int Show(const std::string&, const std::string&, unsigned flags) override {
        return (flags & vx::MB_TYPEMASK) == vx::MB_YESNO ? vx::IDNO : vx::IDOK;
    }
    void Beep(unsigned) override {}
};

// The runs' result records, and apart from them their section records.
void Sweep(TestChain& c, std::string& out, std::string& records) {
    samplechains::Sweep(c, [&](double h, double d) {
        Line(out, "run")("height", h)("d", d);
        DumpResults(out, c.head.results);
        Line(records, "run")("height", h)("d", d);
        DumpRecords(records, "chimney", c.chimney.temperatureCases, c.chimney.pressureCases);
        DumpRecords(records, "connector", c.connector.temperatureCases, c.connector.pressureCases);
    });
}

// The second program's document with a look at each manufacturer's rows and
// results as it finishes them.
class WatchedTable : public CTarsiloDocCore {
public:
    std::string prefix;
    int position = 0;
    std::vector<std::string> names;  // of the selected manufacturers, in their order
    int fullManufacturers = 0;
    std::vector<Section>* sections = nullptr;

protected:
    void UpdateViews(int) override {
        if (!IsComputing() || done_ >= names.size()) return;
        Section s;
        s.name = prefix + " position " + std::to_string(position) + " manufacturer " + names[done_];
        s.full = int(done_) < fullManufacturers;
        // New rows go to the top.
        for (size_t i = rows.size() - rowsBefore_; i-- > 0;) {
            Line l(s.text, "row");
            for (const std::string& c : rows[i].columns) l.Text("c", c);
        }
        rowsBefore_ = rows.size();
        for (size_t g = 0; g < results.size(); ++g) {
            Line(s.text, "searched " + std::to_string(g));
            DumpResults(s.text, results[g]);
        }
        Line(s.text, "counts").Int("generators", counts.heatGenerators).Int("runs", counts.chainRuns).Int(
            "partLoad", counts.partLoadPasses);
        sections->push_back(std::move(s));
        ++done_;
    }

public:
    void Restart() {
        done_ = 0;
        rowsBefore_ = 0;
    }

private:
    size_t done_ = 0;
    size_t rowsBefore_ = 0;
};

} // namespace

std::string Hex(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::hex);
    std::string s(buf, r.ptr);
    if (s == "inf" || s == "-inf" || s == "nan" || s == "-nan") return s;
    const size_t at = s[0] == '-' ? 1 : 0;
    s.insert(at, "0x");
    return s;
}

uint64_t Digest(const std::string& text) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::vector<Section> ChainSweeps() {
    OwnProfile profile("Velmora");
    SetModelProgram(ModelProgram::Velmora);
    FillFuelTable(VelmoraFuelRows());
    CGrunddaten::ReloadProfile();
    std::vector<Section> sections;
    const struct {
        const char* name;
        std::unique_ptr<TestChain> (*make)();
    } chains[] = {{"chain oil, derived part load", samplechains::OilChain},
                  {"chain oil, part load of its own", samplechains::PassingPartLoadChain},
                  {"chain positive pressure, chimney outside", samplechains::OutsideChain},
                  {"chain oil, chimney wall of two layers", samplechains::LayeredWallChain}};
    for (const auto& c : chains) {
        auto chain = c.make();
        // The tables live as long as a pipe section does.
        SharedCrossSectionTables().round = {0.08, 0.09, 0.10, 0.11, 0.12, 0.13, 0.14, 0.15, 0.16,
                                            0.18, 0.20, 0.22, 0.25, 0.28, 0.30, 0.35, 0.40, 0.45,
                                            0.50, 0.55, 0.60, 0.70, 0.80, 0.90, 1.00};
        Section results{c.name, "", true}, records{std::string(c.name) + ", section records", "", false};
        Sweep(*chain, results.text, records.text);
        sections.push_back(std::move(results));
        sections.push_back(std::move(records));
    }
    return sections;
}

std::vector<Section> Diagrams(const std::string& dataDir) {
    OwnProfile profile("Velmora");
    vx::Profile().WriteString("Datenbank", "Pfad", dataDir);
    vx::Profile().WriteString("Global", "Hinweis", "1");
    vx::ScriptedMessageService quiet;
    vx::MessageService* before = &vx::Messages();
    vx::SetMessageService(&quiet);
    SetModelProgram(ModelProgram::Velmora);
    FillFuelTable(VelmoraFuelRows());
    CGrunddaten::ReloadProfile();
    LoadProgramStrings();
    LoadCrossSectionTables();

    std::vector<Section> sections;
    const struct {
        const char* name;
        int fuelPosition;
        const char* type;
    } samples[] = {{"diagram oil, full load", 1, "Oleomat 22"},
                   {"diagram oil, part load", 1, "Oleomat 45-2"},
                   {"diagram gas, part load", 2, "Unitherm Gas 90-2"}};
    for (const auto& sample : samples) {
        auto doc = std::make_unique<CVelmoraDocCore>();
        doc->ResetDocument();
        CWrzKatalog katalog(dataDir);
        for (const WrzManufacturer& m : katalog.ReadManufacturers(sample.fuelPosition))
            for (const WrzType& t : katalog.ReadTypes(m.offset))
                if (t.typeDesignation == sample.type) {
                    int64_t at = t.offset;
                    LoadHeatGenerator(katalog, doc->heatGenerator, at, {}, CWrzKatalog::OpenOperation::Closed);
                }
        int system = 1;
        doc->NewSystemType(system, 0, 0);
        Section s{sample.name, "", true};
        // Twice: a second computation of the same document gives the same.
        for (int pass = 0; pass < 2; ++pass) {
            doc->OnCalculate();
            Line(s.text, "pass").Int("n", pass).Int("points", long(doc->points.size()));
            for (const DiagramPoint& p : doc->points)
                Line(s.text, "point")("height", p.height)("largest", p.largest)("smallest", p.smallest);
            for (size_t i = 0; i < doc->results.size(); ++i) {
                Line(s.text, "run " + std::to_string(i));
                DumpResults(s.text, doc->results[i]);
            }
        }
        sections.push_back(std::move(s));
    }
    vx::SetMessageService(before);
    return sections;
}

std::vector<Section> Tables(const std::string& scratchDir, const std::string& dataDir, int generatorCount,
                            int maxManufacturers, int fullManufacturers) {
    std::vector<Section> sections;
    const std::string dir = vx::JoinPath(scratchDir, "catalogue");
    std::filesystem::create_directories(dir);
    if (!catalogue::WriteCatalogue(dir, catalogue::MakeSyntheticEntries(generatorCount, 42))) return sections;
    std::error_code ec;
    std::filesystem::copy_file(std::filesystem::path(dataDir) / "INNENTAB.INI",
                               std::filesystem::path(dir) / "INNENTAB.INI",
                               std::filesystem::copy_options::overwrite_existing, ec);
    OwnProfile profile("Tarsilo");
    vx::Profile().WriteString("Datenbank", "Pfad", dir);
    AnswerNo answers;
    vx::MessageService* before = &vx::Messages();
    vx::SetMessageService(&answers);
    UseTarsiloModel();
    CGrunddaten::ReloadProfile();
    LoadCrossSectionTables();

    const int systems[] = {1, 7, 19, 20};
    const int sizes[] = {0, 150};
    for (int size : sizes)
        for (int system : systems) {
            WatchedTable doc;
            doc.shape = 0;
            doc.system = system;
            doc.ApplySystem();
            doc.effectiveHeight.value = 8;
            doc.sectionSize.value = size / 1000.0;
            doc.prefix = "table system " + std::to_string(system) + " size " + std::to_string(size);
            doc.fullManufacturers = fullManufacturers;
            doc.sections = &sections;
            for (int position = 0; position < CWrzKatalog::kFuelPositions; ++position) {
                doc.fuelIndex = position;
                doc.position = position;
                doc.manufacturers.clear();
                doc.names.clear();
                for (const WrzManufacturer& m : doc.catalogue.ReadManufacturers(position)) {
                    if (maxManufacturers > 0 && int(doc.names.size()) >= maxManufacturers) break;
                    doc.manufacturers.push_back({m.name, m.offset, true});
                    doc.names.push_back(m.name);
                }
                doc.Restart();
                doc.ComputeAssignmentTable();
            }
        }
    SetModelProgram(ModelProgram::Velmora);
    FillFuelTable(VelmoraFuelRows());
    vx::SetMessageService(before);
    return sections;
}

std::string Render(const std::vector<Section>& sections) {
    std::string out;
    for (const Section& s : sections) {
        out += "[" + s.name + "]\n";
        if (s.full) out += s.text;
        long lines = 0;
        for (char c : s.text) lines += c == '\n';
        char digest[32];
        std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(Digest(s.text)));
        out += std::string(s.full ? "end" : "digest") + " lines=" + std::to_string(lines) + " digest=" + digest + "\n";
    }
    return out;
}

std::map<std::string, Stored> Parse(const std::string& fileText) {
    std::map<std::string, Stored> stored;
    std::istringstream in(fileText);
    std::string line, name;
    Stored current;
    while (std::getline(in, line)) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            name = line.substr(1, line.size() - 2);
            current = Stored();
            continue;
        }
        const bool end = line.rfind("end lines=", 0) == 0, digest = line.rfind("digest lines=", 0) == 0;
        if (end || digest) {
            current.full = end;
            current.lines = std::stol(line.substr(line.find('=') + 1));
            current.digest = std::stoull(line.substr(line.rfind('=') + 1), nullptr, 16);
            stored[name] = current;
            continue;
        }
        current.text += line + "\n";
    }
    return stored;
}

std::vector<std::string> Compare(const std::vector<Section>& sections, const std::map<std::string, Stored>& stored) {
    std::vector<std::string> differences;
    for (const Section& s : sections) {
        const auto it = stored.find(s.name);
        if (it == stored.end()) {
            differences.push_back(s.name + ": not in the stored dump");
            continue;
        }
        if (Digest(s.text) == it->second.digest && (!it->second.full || s.text == it->second.text)) continue;
        std::string what = s.name + ": differs";
        if (it->second.full) {
            std::istringstream a(s.text), b(it->second.text);
            std::string la, lb;
            for (long n = 1;; ++n) {
                const bool ga = bool(std::getline(a, la)), gb = bool(std::getline(b, lb));
                if (!ga && !gb) break;
                if (!ga || !gb || la != lb) {
                    what += " at line " + std::to_string(n) + "\n  now:    " + (ga ? la : "(none)") +
                            "\n  stored: " + (gb ? lb : "(none)");
                    break;
                }
            }
        }
        differences.push_back(what);
    }
    return differences;
}

} // namespace resultdump
