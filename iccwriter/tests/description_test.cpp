// Description tags of every length the builders can produce: the ASCII part carries the text,
// the ScriptCode count byte is the ASCII count modulo 256 while that fits the 67-byte ScriptCode
// area and 0 otherwise, and independent readers accept every one of them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "icc_support.h"

#ifdef SPX_HAVE_LCMS2
#include <lcms2.h>
#endif

namespace icctest {
namespace {

class DescriptionTest : public IccWriterTest {};

std::string textOfLength(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += i % 10 == 9 ? ' ' : static_cast<char>('a' + i % 26);
    return s;
}

#ifdef SPX_HAVE_LCMS2
// The ASCII text Little CMS reads from the description tag.
std::string lcmsDescription(const std::string& path, cmsTagSignature sig) {
    cmsHPROFILE h = cmsOpenProfileFromFile(path.c_str(), "r");
    if (!h) return "<not opened>";
    std::string text = "<no tag>";
    if (auto* mlu = static_cast<cmsMLU*>(cmsReadTag(h, sig))) {
        const cmsUInt32Number n = cmsMLUgetASCII(mlu, "en", "US", nullptr, 0);
        std::string buffer(n, '\0');
        cmsMLUgetASCII(mlu, "en", "US", buffer.data(), n);
        text = buffer.c_str();
    }
    cmsCloseProfile(h);
    return text;
}
#endif

TEST_F(DescriptionTest, EveryLengthIsReadable) {
    struct Case {
        std::size_t length;
        std::uint8_t scriptCount;  // ASCII count = length + 1
    };
    const Case cases[] = {{0, 1},   {1, 2},   {3, 4},   {66, 67}, {67, 0},  {68, 0},
                          {200, 0}, {254, 0}, {255, 0}, {256, 1}, {300, 45}, {322, 67},
                          {323, 0}, {1000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "description of " << c.length << " characters");
        const std::string text = textOfLength(c.length);
        ProfilePtr p = newProfile();
        ASSERT_EQ(SetTextDescTag(p, "desc", text.c_str()), SP_OK);
        const std::string path = colorPath("desc" + std::to_string(c.length) + ".icm");
        ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

        Bytes e;
        e.be32(144 + 90 + c.length + 1).append(templateHeader()).be32(1);
        e.chars("desc").be32(144).be32(90 + c.length + 1);
        e.chars("desc").zeros(4).be32(c.length + 1).chars(text).u8(0);
        e.be32(0).be32(0).be16(0).u8(c.scriptCount).zeros(67);
        expectFileBytes(path, e);

        const std::string dump = expectIccdumpAccepts(path);
        if (!dump.empty() && c.length > 0 && c.length < 60) {
            EXPECT_NE(dump.find(text), std::string::npos) << dump;
        }
        expectLcmsAccepts(path);
#ifdef SPX_HAVE_LCMS2
        EXPECT_EQ(lcmsDescription(path, cmsSigProfileDescriptionTag), text);
#endif
    }
}

// The private "K007" description of the builders ("Temperature:\t%4.4uK\r\nGamma:...") with its
// control characters, followed by the profile description.
TEST_F(DescriptionTest, PrivateDescriptionKeepsControlCharacters) {
    const std::string k007 = "Temperature:\t6500K\r\nGamma:\t\t2.2\r\nLighting:\t\tDaylight";
    const std::string desc = "Spectrine: Kalvenmor Model 17";
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetTextDescTag(p, "K007", k007.c_str()), SP_OK);
    ASSERT_EQ(SetTextDescTag(p, "desc", desc.c_str()), SP_OK);
    const std::string path = colorPath("k007.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);

    ASSERT_EQ(k007.size() + 1, 53u);
    expectFileBytes(path, expectedProfile(templateHeader(), {{"K007", descData(k007, 53)},
                                                             {"desc", descData(desc, 30)}}));
    expectReadersAccept(path);
}

// Bytes above 127 are copied as they are; nothing is translated.
TEST_F(DescriptionTest, EightBitTextIsCopiedUnchanged) {
    const std::string text = "Caf\xE9 \xAE \x80\xFF";
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetTextDescTag(p, "desc", text.c_str()), SP_OK);
    ASSERT_EQ(SetTextTag(p, "cprt", text.c_str()), SP_OK);
    const std::string path = colorPath("latin1.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedProfile(templateHeader(), {{"desc", descData(text, 10)},
                                                             {"cprt", textData(text)}}));
    expectLcmsAccepts(path);
}

}  // namespace
}  // namespace icctest
