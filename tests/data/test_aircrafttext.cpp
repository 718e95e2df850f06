#include "data/aircrafttext.h"
#include "data/databasefiles.h"
#include "data/le.h"
#include "data/striprecord.h"
#include "support/dbwriter.h"
#include "support/tempdir.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// A record whose every int32 field holds 1000 + its byte offset and whose
// reals hold offset + 0.25, so each slot shows which field it came from.
AircraftRecord OffsetTaggedRecord(CDbWriter& db) {
    unsigned char bytes[AircraftRecord::kSize];
    for (int nOffset = 0; nOffset < AircraftRecord::kSize; nOffset += 4)
        le::PutInt32(bytes + nOffset, 1000 + nOffset);
    for (int nOffset : {128, 132, 136, 140, 144, 148, 152})
        le::PutFloat32(bytes + nOffset, static_cast<float>(nOffset) + 0.25f);
    AircraftRecord rec = AircraftRecord::FromBytes(bytes);
    rec.firm = db.AddString("firm");
    rec.country = db.AddString("country");
    rec.text = db.AddString("text");
    rec.model = db.AddString("model");
    rec.name = db.AddString("name");
    rec.type = db.AddString("type");
    rec.year = 1998;
    return rec;
}

TEST(AircraftRecord, FieldsAreLittleEndianAtTheirOffsets) {
    unsigned char bytes[AircraftRecord::kSize] = {};
    bytes[76] = 0x01;
    bytes[77] = 0x02;
    bytes[80] = 0xFF;
    bytes[81] = 0xFF;
    bytes[82] = 0xFF;
    bytes[83] = 0xFF;
    le::PutFloat32(bytes + 136, 35.5f);
    const AircraftRecord rec = AircraftRecord::FromBytes(bytes);
    EXPECT_EQ(rec.pictureCount, 0x0201);
    EXPECT_EQ(rec.previewOffset, -1);
    EXPECT_EQ(rec.value7, 35.5f);
    unsigned char back[AircraftRecord::kSize];
    rec.ToBytes(back);
    EXPECT_EQ(std::memcmp(bytes, back, sizeof bytes), 0);
}

class AircraftTextTest : public testing::Test {
protected:
    void Open() {
        m_db.Write(m_dir.Path());
        m_files.Open(m_dir.Path());
    }
    CTempDir m_dir;
    CDbWriter m_db;
    CDatabaseFiles m_files;
};

TEST_F(AircraftTextTest, EverySlotComesFromItsFieldByItsRule) {
    m_db.AddAircraft(OffsetTaggedRecord(m_db));
    Open();
    CAircraftText text(&m_files);
    ASSERT_TRUE(text.Load(0));
    const char* expected[CAircraftText::kSlotCount] = {
        "firm", "country", "model", "type", "name",   "text",  "136.25", "128.25", "132.2",
        "1064", "1052",    "1060",  "1056", "1012",   "1016",  "1024",   "1028",   "1032",
        "1036", "1040",    "1044",  "1048", "1998",   "1084",  "1088",   "1092",   "1096",
        "1100", "1104",    "1108",  "1112", "140.25", "144.2", "148.2",  "152.2"};
    for (int nSlot = 1; nSlot <= CAircraftText::kSlotCount; ++nSlot)
        EXPECT_EQ(text.GetText(nSlot), expected[nSlot - 1]) << "slot " << nSlot;
}

TEST_F(AircraftTextTest, AbsentValuesShowAsDash) {
    AircraftRecord rec{};
    rec.firm = -5;         // negative: no string, no exception
    rec.country = 1 << 30; // past the end of the pool
    rec.model = m_db.AddString("");
    rec.year = 12345;
    rec.value7 = -0.0f;
    rec.value11 = -5;
    m_db.AddAircraft(rec);
    Open();
    CAircraftText text(&m_files);
    ASSERT_TRUE(text.Load(0));
    EXPECT_EQ(text.GetText(1), "-");
    EXPECT_EQ(text.GetText(2), "-");
    EXPECT_EQ(text.GetText(3), "-");
    EXPECT_EQ(text.GetText(23), "-");
    EXPECT_EQ(text.GetText(7), "-");
    EXPECT_EQ(text.GetText(11), "-5");
    EXPECT_EQ(text.GetText(12), "-");
}

// A record that cannot be read whole must not leave the previous type on show.
TEST_F(AircraftTextTest, FailedLoadLeavesNothingOfThePreviousType) {
    m_db.AddAircraft(OffsetTaggedRecord(m_db));
    m_db.AppendAircraftBytes(std::string(100, '\x01'));
    Open();
    CAircraftText text(&m_files);
    ASSERT_TRUE(text.Load(0));
    EXPECT_FALSE(text.Load(1));
    EXPECT_EQ(text.m_record.pictureCount, 0);
    EXPECT_EQ(text.m_record.firm, 0);
    for (const std::string& s : text.m_texts)
        EXPECT_EQ(s, "");
    EXPECT_FALSE(text.Load(5));
}

TEST_F(AircraftTextTest, ClearMainKeepsTheAdditionalGroupAndStripFields) {
    AircraftRecord rec = OffsetTaggedRecord(m_db);
    rec.pictureCount = 3;
    rec.firstStrip = 4;
    rec.stripCount = 2;
    m_db.AddAircraft(rec);
    Open();
    CAircraftText text(&m_files);
    ASSERT_TRUE(text.Load(0));
    text.ClearMain();
    for (int nSlot = 1; nSlot <= 23; ++nSlot)
        EXPECT_EQ(text.GetText(nSlot), "") << nSlot;
    EXPECT_EQ(text.GetText(24), "1084");
    EXPECT_EQ(text.GetText(35), "152.2");
    EXPECT_EQ(text.m_record.pictureCount, 0);
    EXPECT_EQ(text.m_record.firstStrip, 4);
    EXPECT_EQ(text.m_record.stripCount, 2);
}

TEST_F(AircraftTextTest, StripRowsEndAtTheFirstRowThatCannotBeRead) {
    for (int i = 0; i < 4; ++i)
        m_db.AddStrip(i, 10 * i, 100 * i);
    Open();
    AircraftRecord rec{};
    rec.firstStrip = 2;
    rec.stripCount = 5; // only rows 2 and 3 exist
    auto rows = ReadStripRows(m_files.m_fileStrips, rec);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].values[2], 300);
    rec.firstStrip = -1;
    EXPECT_TRUE(ReadStripRows(m_files.m_fileStrips, rec).empty());
    rec.firstStrip = 0;
    rec.stripCount = -3;
    EXPECT_TRUE(ReadStripRows(m_files.m_fileStrips, rec).empty());
    rec.firstStrip = INT32_MAX;
    rec.stripCount = INT32_MAX;
    EXPECT_TRUE(ReadStripRows(m_files.m_fileStrips, rec).empty());
    // A row count given by the caller is the end, as the file's own would be.
    rec.firstStrip = 2;
    rec.stripCount = 5;
    EXPECT_EQ(ReadStripRows(m_files.m_fileStrips, rec, 3).size(), 1u);
    EXPECT_TRUE(ReadStripRows(m_files.m_fileStrips, rec, 2).empty());
}

} // namespace
