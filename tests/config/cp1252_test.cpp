#include "cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

QByteArray Bytes(std::initializer_list<unsigned char> list)
{
    QByteArray bytes;
    for (unsigned char b : list)
        bytes.append(static_cast<char>(b));
    return bytes;
}

struct HighByteCase {
    unsigned char byte;
    char16_t codePoint;
};

// Every byte of 0x80..0x9F, where Windows-1252 and Latin-1 part ways.
constexpr HighByteCase kHighBytes[] = {
    {0x80, u'€'}, {0x81, 0x0081}, {0x82, u'‚'}, {0x83, u'ƒ'}, {0x84, u'„'}, {0x85, u'…'},
    {0x86, u'†'}, {0x87, u'‡'}, {0x88, u'ˆ'}, {0x89, u'‰'}, {0x8A, u'Š'}, {0x8B, u'‹'},
    {0x8C, u'Œ'}, {0x8D, 0x008D}, {0x8E, u'Ž'}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, u'‘'},
    {0x92, u'’'}, {0x93, u'“'}, {0x94, u'”'}, {0x95, u'•'}, {0x96, u'–'}, {0x97, u'—'},
    {0x98, u'˜'}, {0x99, u'™'}, {0x9A, u'š'}, {0x9B, u'›'}, {0x9C, u'œ'}, {0x9D, 0x009D},
    {0x9E, u'ž'}, {0x9F, u'Ÿ'},
};

TEST(Cp1252, HighBytesMapBothWays)
{
    for (const HighByteCase &c : kHighBytes) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << int(c.byte));
        const QByteArray byte = Bytes({c.byte});
        EXPECT_EQ(FromCp1252(byte), QString(QChar(c.codePoint)));
        EXPECT_EQ(ToCp1252(QString(QChar(c.codePoint))), byte);
    }
}

TEST(Cp1252, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = FromCp1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToCp1252(text), all);
}

TEST(Cp1252, AsciiAndUpperHalfAreTheirOwnCodePoints)
{
    for (int b = 0; b < 256; ++b) {
        if (b >= 0x80 && b < 0xA0)
            continue;
        SCOPED_TRACE(b);
        EXPECT_EQ(FromCp1252(Bytes({static_cast<unsigned char>(b)})), QString(QChar(b)));
    }
}

struct TextCase {
    const char16_t *text;
    QByteArray bytes;
};

TEST(Cp1252, TextsOfTheProgram)
{
    const TextCase cases[] = {
        {u"", QByteArray()},
        {u"Título", Bytes({0x54, 0xED, 0x74, 0x75, 0x6C, 0x6F})},
        {u"Placa de aquisição Varnix-S", QByteArray("Placa de aquisi\xE7\xE3o Varnix-S")},
        {u"Precisão", QByteArray("Precis\xE3o")},
        {u"Relação", QByteArray("Rela\xE7\xE3o")},
        {u"10 €", QByteArray("10 \x80")},
        {u"ÀÿÉ", Bytes({0xC0, 0xFF, 0xC9})},
    };
    for (const TextCase &c : cases) {
        const QString text = QStringView(c.text).toString();
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ToCp1252(text), c.bytes);
        EXPECT_EQ(FromCp1252(c.bytes), text);
    }
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    const TextCase cases[] = {
        {u"\u0080", QByteArray("?")},          // a C1 control that 1252 puts € on
        {u"\u009F", QByteArray("?")},
        {u"A\u0100B", QByteArray("A?B")},      // Ā
        {u"\u03A9 = 5", QByteArray("? = 5")},  // Ω
        {u"\u4E2D\u6587", QByteArray("??")},
        {u"x\U0001F600y", QByteArray("x?y")},  // one character in two UTF-16 units
        {u"\xD800z", QByteArray("?z")},        // lone high surrogate
        {u"z\xDC00", QByteArray("z?")},        // lone low surrogate
    };
    for (const TextCase &c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        EXPECT_EQ(ToCp1252(QStringView(c.text).toString()), c.bytes);
    }
}

} // namespace
