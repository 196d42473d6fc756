// The library's three tables: the address book ADRESSE, the remark texts
// BEMERKUN and the places PLZORT. Each object opens (or creates) its table,
// keeps its index usable and binds one column per field.
#pragma once

#include "dbase/data/FieldView.h"
#include "dbase/query/Relation.h"
#include "dbase/data/Table.h"
#include "dbase/index/TableTag.h"
#include "quorvel/Columns.h"

#include <string>
#include <string_view>
#include <vector>

// The field and tag lists as the library creates the tables; lists end with
// an entry without a name.
extern const vx::FieldInfo kAdresseFields[];
extern const vx::TagInfo kAdresseTags[];
extern const vx::FieldInfo kBemerkunFields[];
extern const vx::FieldInfo kPlzOrtFields[];
extern const vx::TagInfo kPlzOrtTags[];

// The width of a column as the library creates it; 0 for a name not in the list.
size_t ColumnWidth(const vx::FieldInfo* fields, std::string_view name);

class CQuorvelTable {
public:
    virtual ~CQuorvelTable() = default;
    CQuorvelTable() = default;
    CQuorvelTable(const CQuorvelTable&) = delete;
    CQuorvelTable& operator=(const CQuorvelTable&) = delete;

    // Opens the table at path (without extension), creating it when it cannot
    // be opened and rebuilding an index that cannot be opened. 0, or the
    // engine's code; the handle then stays empty.
    int Open(vx::EngineContext* ctx, const std::string& path);
    void Close();
    // After the context closed every table itself.
    virtual void Forget() { t_ = nullptr; }

    vx::TableHandle* Handle() const { return t_; }
    bool IsOpen() const { return t_ != nullptr; }
    vx::EngineContext* Context() const { return ctx_; }
    // The path the table was opened from, without extension.
    const std::string& Path() const { return path_; }
    // Records were deleted but could not be packed away yet.
    bool PackPending() const { return packPending_; }
    void SetPackPending(bool pending) { packPending_ = pending; }

    // The text of a character column without trailing blanks, or a memo whole;
    // valid until the next call.
    const std::string& FeldText(const vx::FieldView& col);
    // Writes text into a character or memo column; in a table without a
    // current record a blank record is appended first.
    int SetText(vx::FieldView& col, std::string_view text);

protected:
    virtual const vx::FieldInfo* Fields() const = 0;
    virtual const vx::TagInfo* Tags() const { return nullptr; }
    // The places table reports its open failures; the others open quietly.
    virtual bool ReportsOpenFailure() const { return false; }
    // Binds columns and tags; a negative code when a field or tag is missing.
    virtual int Bind() = 0;
    virtual void AfterOpen() {}
    static int BindColumn(vx::TableHandle* t, vx::FieldView& col, const char* name);
    static int BindTag(vx::TableHandle* t, vx::TagRef& tag, const char* name);

    vx::TableHandle* t_ = nullptr;
    vx::EngineContext* ctx_ = nullptr;
    std::string path_;
    bool rebuilt_ = false;
    bool packPending_ = false;

private:
    // The table with its index, or nullptr without a word and without a code.
    vx::TableHandle* OpenQuietly(vx::EngineContext* ctx, const std::string& path);
    // Opens with the usual reports, creating or rebuilding what is missing.
    vx::TableHandle* OpenOrCreate(vx::EngineContext* ctx, const std::string& path, int& rc);
    vx::TableHandle* RebuildIndex(vx::EngineContext* ctx, vx::TableHandle* t, const std::string& path);
    std::string text_;
};

class CAdressTab : public CQuorvelTable {
public:
    ~CAdressTab() override;
    void Forget() override;
    // The index was rebuilt at start-up: the table stays in record order.
    bool IndexRebuilt() const { return rebuilt_; }
    vx::RelationNode* Relation() const { return relation_; }
    // Query and sort of the filtered search; an empty sort clears it.
    int SetQuery(const std::string& query);
    int SetSort(const std::string& sort);

    CCharCol match, name1, name2, name1Soun, strasse, plz, ort, land, telefon, telefax, ansprech;
    CMemoCol bemerkung;
    CCharCol email, url;
    CMemoCol dummy;
    CCharCol handy;
    vx::TagRef primary, sound;

protected:
    const vx::FieldInfo* Fields() const override { return kAdresseFields; }
    const vx::TagInfo* Tags() const override { return kAdresseTags; }
    int Bind() override;
    void AfterOpen() override;

private:
    vx::RelationNode* relation_ = nullptr;
};

class CBemerkTab : public CQuorvelTable {
public:
    CCharCol match;
    CMemoCol bemerkung;

protected:
    const vx::FieldInfo* Fields() const override { return kBemerkunFields; }
    int Bind() override;
};

class CPlzOrtTab : public CQuorvelTable {
public:
    // The towns of a postcode in index order. When town is empty and the
    // postcode and the list are not, town becomes the first of them and the
    // result is 1; otherwise 0.
    int PlacesOfPostcode(const std::string& postcode, std::vector<std::string>& towns, std::string& town);
    // GEOH of the first record with the postcode whose town equals town byte
    // for byte, with its LAND; -99 when there is none.
    long GeoHoehe(const std::string& postcode, const std::string& town, std::string* land = nullptr);
    // Writes the height right-aligned.
    int SetGeoHoehe(long height);

    CCharCol plz, ort, land;
    CNumericCol geoh;
    CBoolCol hand;
    vx::TagRef plzTag, keyOrt;

protected:
    const vx::FieldInfo* Fields() const override { return kPlzOrtFields; }
    const vx::TagInfo* Tags() const override { return kPlzOrtTags; }
    bool ReportsOpenFailure() const override { return true; }
    int Bind() override;
    void AfterOpen() override;

private:
    // Positions on the first record of the postcode; false when there is none.
    bool SeekPostcode(const std::string& postcode, std::string& key);
};
