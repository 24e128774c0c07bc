#include "documents/xliff_text.h"

#include <gtest/gtest.h>

#include "tests/unit/translation_test_support.h"

namespace {

// An XLIFF 1.2 file of these units.
std::string Xliff1(const std::string& body, const std::string& namespaces = "") {
    return "<?xml version=\"1.0\"?>\n<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"" + namespaces +
           " version=\"1.2\"><file source-language=\"en\" datatype=\"plaintext\" original=\"a\"><body>" + body +
           "</body></file></xliff>";
}

// An XLIFF 2.0 file of these units.
std::string Xliff2(const std::string& units) {
    return "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" version=\"2.0\" srcLang=\"en\"><file id=\"f\">" +
           units + "</file></xliff>";
}

struct XliffCase {
    const char* szWhat;
    std::string file;
    const char* szSource;
    const char* szTarget;
    uint64_t nUntranslated;
};

void CheckCases(const XliffCase* pCases, size_t nCases) {
    for (size_t i = 0; i < nCases; ++i) {
        const XliffCase& c = pCases[i];
        EXPECT_EQ(c.szSource, SourceText(ReadXliffText, c.file)) << c.szWhat << ", source side";
        TranslationReading target = ReadTranslation(ReadXliffText, c.file, TranslationSide::kTarget);
        EXPECT_EQ(c.szTarget, target.text) << c.szWhat << ", target side";
        EXPECT_EQ(c.nUntranslated, target.nUntranslated) << c.szWhat << ", untranslated units";
    }
}

TEST(XliffText, Version1CountsSourcesAndTargetsWithoutCodes) {
    const XliffCase kCases[] = {
        {"g and mrk wrap text, x bx ex are nothing, a protected mrk is left out",
         Xliff1("<trans-unit id='1'><source>a <g id='1'>b</g><x id='2'/><bx id='3'/>c<ex id='4'/> "
                "<mrk mtype='term'>d</mrk><mrk mtype='protected'>P</mrk>&amp;e</source>"
                "<target>A <g id='1'>B</g></target></trans-unit>"),
         "a bc d&e\r\n", "A B\r\n", 0},
        {"bpt ept ph it are code, their sub is text, also nested",
         Xliff1("<trans-unit id='1'><source><bpt id='1'>&lt;a title='<sub>T<g id='5'>t</g></sub>'&gt;</bpt>x"
                "<ept id='1'>&lt;/a&gt;</ept><ph id='2'>{b}</ph><it id='3' pos='open'>&lt;i&gt;</it>y</source>"
                "</trans-unit>"),
         "Ttxy\r\n", "", 1},
        {"alt-trans, note, context-group, count-group, prop-group and the header never count",
         "<xliff xmlns='urn:oasis:names:tc:xliff:document:1.2' version='1.2'><file original='a'>"
         "<header><note>H</note><skl><internal-file>S</internal-file></skl></header><body>"
         "<trans-unit id='1'><source>s</source><target>t</target><alt-trans><source>AS</source><target>AT</target>"
         "</alt-trans><note>N</note><context-group><context context-type='x'>C</context></context-group>"
         "<count-group name='c'><count count-type='x'>9</count></count-group><prop-group><prop prop-type='p'>P</prop>"
         "</prop-group></trans-unit></body></file></xliff>",
         "s\r\n", "t\r\n", 0},
        {"translate=no on a unit and a group, inherited, turned back on below",
         Xliff1("<trans-unit id='1' translate='no'><source>no1</source></trans-unit>"
                "<group translate='no'><trans-unit id='2'><source>no2</source></trans-unit>"
                "<group><trans-unit id='3'><source>no3</source></trans-unit></group>"
                "<trans-unit id='4' translate='yes'><source>yes4</source><target>oui4</target></trans-unit></group>"
                "<trans-unit id='5'><source>yes5</source><target></target></trans-unit>"),
         "yes4\r\nyes5\r\n", "oui4\r\n", 1},
        {"seg-source's segments, each a paragraph; targets matched by mid, else in order",
         Xliff1("<trans-unit id='1'><source>One. Two. Three.</source><seg-source><mrk mtype='seg' mid='a'>One.</mrk> "
                "<g id='1'><mrk mtype='seg' mid='b'>Two.</mrk></g> <mrk mtype='seg' mid='c'>Three.</mrk></seg-source>"
                "<target><mrk mtype='seg' mid='c'>Trois.</mrk> <mrk mtype='seg' mid='a'>Un.</mrk></target></trans-unit>"
                "<trans-unit id='2'><source>X. Y.</source><seg-source><mrk mtype='seg'>X.</mrk>"
                "<mrk mtype='seg'>Y.</mrk></seg-source><target><mrk mtype='seg'>Ix.</mrk><mrk mtype='seg'> </mrk>"
                "</target></trans-unit>"),
         "One.\r\nTwo.\r\nThree.\r\nX.\r\nY.\r\n", "Un.\r\nTrois.\r\nIx.\r\n", 2},
        {"a target not in segments is the whole unit's translation",
         Xliff1("<trans-unit id='1'><source>A. B.</source><seg-source><mrk mtype='seg' mid='1'>A.</mrk> "
                "<mrk mtype='seg' mid='2'>B.</mrk></seg-source><target>a. b.</target></trans-unit>"),
         "A.\r\nB.\r\n", "a. b.\r\n", 0},
        {"a tool's locks: sdl:seg, memoQ's unit attribute, a tool's attribute on the segment",
         Xliff1("<trans-unit id='1'><source>A. B. C.</source><seg-source><mrk mtype='seg' mid='1'>A.</mrk>"
                "<mrk mtype='seg' mid='2'>B.</mrk><mrk mtype='seg' mid='3' t:locked='true'>C.</mrk></seg-source>"
                "<target><mrk mtype='seg' mid='1'>a.</mrk><mrk mtype='seg' mid='2'>b.</mrk><mrk mtype='seg' mid='3'>c."
                "</mrk></target><sdl:seg-defs><sdl:seg id='1' locked='false'/><sdl:seg id='2' locked='true'/>"
                "</sdl:seg-defs></trans-unit><trans-unit id='2' mq:locked='locked'><source>M</source></trans-unit>"
                "<trans-unit id='3' mq:locked='false'><source>N</source><target>n</target></trans-unit>",
                " xmlns:sdl='http://sdl.com/FileTypes/SdlXliff/1.0' xmlns:mq='MQXliff' xmlns:t='urn:tool'"),
         "A.\r\nN\r\n", "a.\r\nn\r\n", 0},
        {"XLIFF 1.1 without a namespace, and gettext's header unit left out",
         "<xliff version='1.1'><file original='a'><body><trans-unit id='h' restype='x-gettext-domain-header'>"
         "<source>Project-Id-Version: x</source></trans-unit><trans-unit id='1'><source>s</source></trans-unit>"
         "</body></file></xliff>",
         "s\r\n", "", 1},
    };
    CheckCases(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(XliffText, Version2CountsSegmentsWithoutCodesMetadataOrIgnorables) {
    const XliffCase kCases[] = {
        {"pc wraps text; sc ec ph sm em are nothing; ignorable, notes, originalData and modules never count",
         Xliff2("<unit id='u'><notes><note>N</note></notes><originalData><data id='d'>D</data></originalData>"
                "<mda:metadata xmlns:mda='urn:oasis:names:tc:xliff:metadata:2.0'><mda:metaGroup><mda:meta type='t'>M"
                "</mda:meta></mda:metaGroup></mda:metadata><segment><source>a<pc id='1'>b</pc><sc id='2'/>c"
                "<ec startRef='2'/><ph id='3'/><sm id='4' type='x'/>d<em startRef='4'/></source>"
                "<target>A<pc id='1'>B</pc></target></segment><ignorable><source> I </source></ignorable>"
                "<segment><source>e</source><target>E</target></segment></unit>"),
         "abcd\r\ne\r\n", "AB\r\nE\r\n", 0},
        {"mrk translate=no is left out, other mrk count, a yes within counts",
         Xliff2("<unit id='u'><segment><source>Use <mrk id='m' translate='no'>Name <mrk id='y' translate='yes'>v"
                "</mrk></mrk> <mrk id='n' type='term'>now</mrk></source></segment></unit>"),
         "Use v now\r\n", "", 1},
        {"translate=no on a unit and a group, inherited, and yes below",
         Xliff2("<unit id='1' translate='no'><segment><source>no1</source></segment></unit>"
                "<group id='g' translate='no'>"
                "<unit id='2'><segment><source>no2</source></segment></unit><unit id='3' translate='yes'><segment>"
                "<source>yes3</source><target>oui3</target></segment></unit></group>"),
         "yes3\r\n", "oui3\r\n", 0},
        {"XLIFF 2.1 shares the namespace; version alone tells 2 from 1 without one",
         "<xliff xmlns='urn:oasis:names:tc:xliff:document:2.0' version='2.1'><file id='f'><unit id='u'><segment>"
         "<source>s21</source></segment></unit></file></xliff>",
         "s21\r\n", "", 1},
        {"a version 2 without a namespace",
         "<xliff version='2.0'><file id='f'><unit id='u'><segment><source>s</source><target>t</target></segment>"
         "</unit></file></xliff>",
         "s\r\n", "t\r\n", 0},
    };
    CheckCases(kCases, sizeof(kCases) / sizeof(kCases[0]));
}

TEST(XliffText, RefusesWhatIsNotWellFormed) {
    const char* const kFiles[] = {
        "<xliff xmlns='urn:oasis:names:tc:xliff:document:1.2'><file><body><trans-unit id='1'><source>a</source>",
        "<xliff xmlns='urn:oasis:names:tc:xliff:document:2.0'><file id='f'><unit id='u'></file></xliff>",
        "<!DOCTYPE xliff [<!ENTITY e 'boom'>]><xliff version='1.2'><file><body/></file></xliff>",
        "",
        "\xEF\xBB\xBF",
    };
    for (const char* szFile : kFiles) {
        for (TranslationSide side : {TranslationSide::kSource, TranslationSide::kTarget}) {
            std::string text = ReadTranslation(ReadXliffText, szFile, side).text;
            EXPECT_EQ('!', text.empty() ? ' ' : text[0]) << "got \"" << text << "\" for " << szFile;
        }
    }
    EXPECT_EQ("s\r\n", SourceText(ReadXliffText, "\xEF\xBB\xBF<xliff version='1.2'><file><body><trans-unit id='1'>"
                                                 "<source>s</source></trans-unit></body></file></xliff>"))
        << "a byte-order mark";
    std::string doctype = SourceText(ReadXliffText, "<!DOCTYPE xliff [<!ENTITY e 'boom'>]><xliff/>");
    EXPECT_NE(std::string::npos, doctype.find("internal subset")) << "the reason for an internal subset: " << doctype;
}

}  // namespace
