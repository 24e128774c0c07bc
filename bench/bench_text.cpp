#include "bench/bench_text.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

// The word lists, the most common words first (the text draws the first ones far more often). Words
// are separated by single spaces here only; a word holds no space.
const char kEnglishWords[] =
    "the of and to a in is it you that he was for on are with as I his they be at one have this from or had by "
    "not but what some we can out other were all there when up use your how said an each she which do their time "
    "if will way about many then them write would like so these her long make thing see him two has look more day "
    "could go come did number sound no most people my over know water than call first who may down side been now "
    "find any new work part take get place made live where after back little only round man year came show every "
    "good me give our under name very through just form sentence great think say help low line differ turn cause "
    "much mean before move right boy old too same tell does set three want air well also play small end put home "
    "read hand port large spell add even land here must big high such follow act why ask men change went light "
    "kind off need house picture try us again animal point mother world near build self earth father head stand "
    "own page should country found answer school grow study still learn plant cover food sun four between state "
    "keep eye never last let thought city tree cross farm hard start might story saw far sea draw left late run "
    "don't while press close night real life few north open seem together next white children begin got walk "
    "example ease paper group always music those both mark often letter until mile river car feet care second "
    "book carry took science eat room friend began idea fish mountain stop once base hear horse cut sure watch "
    "colour face wood main enough plain girl usual young ready above ever red list though feel talk bird soon "
    "body dog family direct leave song measure door product black short numeral class wind question happen "
    "complete ship area half rock order fire south problem piece told knew pass since top whole king space heard "
    "best hour better true during hundred five remember step early hold west ground interest reach fast verb "
    "sing listen six table travel less morning ten simple several vowel toward war lay against pattern slow "
    "centre love person money serve appear road map rain rule govern pull cold notice voice unit power town fine "
    "certain fly fall lead cry dark machine note wait plan figure star box noun field rest correct able pound "
    "done beauty drive stood contain front teach week final gave green quick develop ocean warm free minute "
    "strong special mind behind clear tail produce fact street inch multiply nothing course stay wheel full "
    "force blue object decide surface deep moon island foot system busy test record boat common gold possible "
    "plane dry wonder laugh thousand ago ran check game shape hot miss brought heat snow tire bring yes distant "
    "fill east paint language among it's I'm can't won't isn't e.g. i.e. Mr. Dr. 1999 2024 3.5 12:30 10 100 "
    "O'Brien well-known";

const char kFrenchWords[] =
    "de la le et les des en un du une que est pour qui dans par plus pas au sur ne se ce il sont avec ou son elle "
    "nous vous mais comme on tout leur bien été très à sans aussi fait même cette deux être après où entre alors "
    "déjà encore peu ces ses donc ainsi avant toujours jamais rien chose temps année jour monde vie homme femme "
    "enfant père mère frère sœur cœur œuvre ami école ville pays maison forêt rivière mer montagne hiver "
    "printemps automne première dernière grand petit nouveau vieux beau belle français française européen "
    "général société économie politique histoire culture musique théâtre cinéma littérature éducation santé "
    "sécurité qualité réalité liberté égalité fraternité université étudiant professeur médecin hôpital église "
    "château île fenêtre tête fête bientôt peut-être là-bas ça voilà déçu reçu garçon leçon façon naïf Noël "
    "côté c’est l’homme qu’il d’un d’une j’ai n’est s’il l’école jusqu’à aujourd’hui quelqu’un l’été l’année "
    "d’abord qu’elle n’a lorsqu’il presqu’île parce puisque quand pendant depuis chez vers contre sous parmi selon "
    "malgré voici prendre faire dire pouvoir aller voir savoir vouloir venir devoir croire trouver donner parler "
    "aimer passer regarder répondre écrire lire ouvrir réussir préférer espérer élève 2024 3,5 14h30 XIXe";

const char kRussianWords[] =
    "и в не на я что он с это как но по к все она так его только было уже для вот ещё время жизнь человек год "
    "день рука работа слово место дело лицо друг глаз вопрос дом сторона страна мир случай голова ребёнок сила "
    "конец вид система часть город отношение женщина деньги земля машина вода отец проблема час право нога "
    "решение дверь образ история власть закон война бог голос тысяча книга возможность результат ночь стол имя "
    "область статья число компания народ жена группа развитие процесс суд условие средство начало свет пора "
    "путь душа уровень форма связь минута улица вечер качество мысль дорога мать действие месяц государство "
    "язык любовь взгляд мама век школа цель общество деятельность организация президент комната порядок момент "
    "театр письмо утро помощь ситуация роль рубль смысл состояние квартира говорить сказать знать мочь стать "
    "видеть хотеть идти думать новый большой русский хороший последний красный её объём съезд подъезд "
    "Москва Россия 1917 3,5 100";

// Chinese: words of one to four characters, written with no space between them.
const char kChineseWords[] =
    "的 了 是 在 不 有 和 也 就 都 这 那 他 她 你 我们 说 看 去 来 想 做 好 很 大 小 多 少 中国 人民 时间 工作 "
    "问题 发展 经济 社会 国家 生活 学习 朋友 今天 明天 北京 上海 文化 历史 语言 电脑 手机 世界 大学 老师 学生 "
    "医院 公司 市场 技术 科学 自然 环境 城市 农村 春天 夏天 秋天 冬天 山 水 人 天 吃饭 喝茶 读书 写字 认为 "
    "因为 所以 但是 如果 已经 可以 应该 非常 一起 重要 简单 美丽 快乐 希望 需要 知道 觉得 开始 结束 准备 决定 "
    "表示 进行 提高 解决 研究 管理 政府 企业 价格 数据 信息 网络 系统 服务 产品 质量 安全 健康 教育 音乐 电影 "
    "故事 家庭 孩子 父母 东西 地方 事情 方面 关系 部分 作为 通过 根据 之间 以后 以前 现在 自己 他们 什么 怎么 "
    "为什么 一个 两个 第一 2024年 3月 10点 长城 黄河 长江 图书馆 火车站 飞机场 中华人民共和国";

const char kHindiWords[] =
    "है और में का की के को से यह वह हम आप लोग समय घर काम दिन साल बहुत अच्छा भाषा दुनिया सरकार शिक्षा नमस्ते "
    "भारत हिन्दी किताब पानी दोस्त स्कूल प्रेम क्या नहीं था थे हो रहा कहा जाना देश शहर गाँव बच्चे परिवार "
    "स्वास्थ्य विज्ञान इतिहास संस्कृति प्रधानमंत्री 2024";

const char kArabicWords[] =
    "في من على إلى هذا الذي كان قال يوم عام الناس العالم الحياة الوقت اللغة جميل كبير مع عن لا مرحبا العربية "
    "كتاب مدرسة السلام عليكم شكرا بيت ماء مدينة الحكومة التعليم الصحة التاريخ الثقافة العلم الأسرة الأطفال "
    "كِتَابٌ مُحَمَّدٌ القُرْآن ٢٠٢٤";

// Emoji as people type them: alone, with a skin tone, a flag (two regional indicators), a family
// joined by zero-width joiners, a keycap, and symbols that need the emoji presentation mark.
const char kEmoji[] =
    "😀 👍 🎉 ✅ 😂 🙏 🔥 ☕ 👍🏽 👋🏿 🇫🇷 🇯🇵 🇺🇦 👨‍👩‍👧 👩🏽‍💻 🏳️‍🌈 ❤️ ✈️ 1️⃣ #️⃣";

// How a language writes its sentences.
struct Language {
    const char* szWords;
    const char* szSpace;      // between words
    const char* szComma;
    const char* szPause;      // a second, rarer pause: semicolon, or the enumeration comma
    int nPausePercent;
    const char* szStop;       // ends a sentence
    const char* szQuestion;
    const char* szExclaim;
    const char* szOpenQuote;
    const char* szCloseQuote;
    const char* szOpenParen;
    const char* szCloseParen;
    const char* szDash;       // after a word, before the next
    const char* szEllipsis;
    int nWrapColumns;         // characters a wrapped paragraph's lines hold at most
    bool bCapitals;           // sentences start with a capital letter
};

// French puts a no-break space inside its guillemets and a narrow one before ; ? and !.
const Language kLanguages[] = {
    {kEnglishWords, " ", ",", ";", 1, ".", "?", "!", "\"", "\"", "(", ")", " -", "...", 72, true},
    {kFrenchWords, " ", ",", "\u202F;", 1, ".", "\u202F?", "\u202F!", "«\u00A0", "\u00A0»", "(", ")", " —", "…", 72,
     true},
    {kRussianWords, " ", ",", ";", 1, ".", "?", "!", "«", "»", "(", ")", " —", "…", 72, true},
    {kChineseWords, "", "，", "、", 4, "。", "？", "！", "“", "”", "（", "）", "——", "……", 36, false},
    {kHindiWords, " ", ",", ";", 1, "।", "?", "!", "\"", "\"", "(", ")", " -", "...", 72, false},
    {kArabicWords, " ", "،", "؛", 1, ".", "؟", "!", "«", "»", "(", ")", " -", "...", 72, false},
};
// The mix has no words of its own: Hindi and Arabic follow the four languages in the table.
enum { kHindi = kBenchMixed, kArabic, kLanguageCount };
static_assert(sizeof(kLanguages) / sizeof(kLanguages[0]) == kLanguageCount, "a language for each");

// xorshift64*: fast, and the same on every machine.
class Random {
public:
    explicit Random(uint64_t nSeed) : nState(nSeed ? nSeed : 1) {}
    uint64_t Next() {
        nState ^= nState >> 12;
        nState ^= nState << 25;
        nState ^= nState >> 27;
        return nState * 0x2545F4914F6CDD1DULL;
    }
    size_t Below(size_t n) { return static_cast<size_t>((Next() >> 32) * n >> 32); }

private:
    uint64_t nState;
};

std::vector<std::string> SplitWords(const char* szList) {
    std::vector<std::string> words;
    const char* p = szList;
    while (*p != '\0') {
        const char* pEnd = strchr(p, ' ');
        if (pEnd == nullptr) pEnd = p + strlen(p);
        if (pEnd > p) words.emplace_back(p, pEnd);
        p = *pEnd == ' ' ? pEnd + 1 : pEnd;
    }
    return words;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CodePointCount(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += IsContinuationByte(c) ? 0 : 1;
    return n;
}

// The first code point of a word (of well-formed UTF-8) and its length in bytes.
uint32_t FirstCodePoint(const std::string& word, size_t* pnLength) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(word.data());
    if (p[0] < 0x80) {
        *pnLength = 1;
        return p[0];
    }
    size_t n = p[0] >= 0xF0 ? 4 : p[0] >= 0xE0 ? 3 : 2;
    uint32_t nCode = p[0] & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) nCode = nCode << 6 | (p[i] & 0x3F);
    *pnLength = n;
    return nCode;
}

void AppendUtf8(uint32_t nCode, std::string* pText) {
    if (nCode < 0x80) {
        *pText += static_cast<char>(nCode);
    } else if (nCode < 0x800) {
        *pText += static_cast<char>(0xC0 | nCode >> 6);
        *pText += static_cast<char>(0x80 | (nCode & 0x3F));
    } else if (nCode < 0x10000) {
        *pText += static_cast<char>(0xE0 | nCode >> 12);
        *pText += static_cast<char>(0x80 | (nCode >> 6 & 0x3F));
        *pText += static_cast<char>(0x80 | (nCode & 0x3F));
    } else {
        *pText += static_cast<char>(0xF0 | nCode >> 18);
        *pText += static_cast<char>(0x80 | (nCode >> 12 & 0x3F));
        *pText += static_cast<char>(0x80 | (nCode >> 6 & 0x3F));
        *pText += static_cast<char>(0x80 | (nCode & 0x3F));
    }
}

// The word with its first letter a capital: ASCII, Latin-1, œ and Cyrillic are all the lists need.
std::string Capitalised(const std::string& word) {
    size_t nLength;
    uint32_t nCode = FirstCodePoint(word, &nLength);
    if ((nCode >= 'a' && nCode <= 'z') || (nCode >= 0xE0 && nCode <= 0xFE && nCode != 0xF7) ||
        (nCode >= 0x430 && nCode <= 0x44F)) {
        nCode -= 0x20;
    } else if (nCode >= 0x450 && nCode <= 0x45F) {
        nCode -= 0x50;
    } else if (nCode == 0x153) {
        nCode = 0x152;
    } else {
        return word;
    }
    std::string capital;
    AppendUtf8(nCode, &capital);
    return capital + word.substr(nLength);
}

// Writes into a fixed buffer; what does not fit is cut at a code point and the rest of the buffer
// filled with spaces, so the text stays well-formed.
class TextWriter {
public:
    TextWriter(char* pOut, size_t nOut) : p(pOut), nLeft(nOut) {}
    bool Full() const { return nLeft == 0; }
    void Put(const char* pText, size_t n) {
        if (n > nLeft) {
            n = nLeft;
            while (n > 0 && IsContinuationByte(pText[n])) --n;
            memcpy(p, pText, n);
            memset(p + n, ' ', nLeft - n);
            nLeft = 0;
            return;
        }
        memcpy(p, pText, n);
        p += n;
        nLeft -= n;
    }
    void Put(const std::string& text) { Put(text.data(), text.size()); }

private:
    char* p;
    size_t nLeft;
};

class TextMaker {
public:
    explicit TextMaker(uint64_t nSeed) : random(nSeed), emoji(SplitWords(kEmoji)) {
        for (int i = 0; i < kLanguageCount; ++i) words[i] = SplitWords(kLanguages[i].szWords);
    }

    // The language of the mix's next paragraph: mostly the four, now and then Hindi or Arabic.
    int MixedParagraphLanguage() {
        static const int kPicks[] = {kBenchEnglish, kBenchEnglish, kBenchEnglish, kBenchFrench, kBenchFrench,
                                     kBenchRussian, kBenchRussian, kBenchChinese, kBenchChinese, kHindi,
                                     kArabic};
        return kPicks[random.Below(sizeof(kPicks) / sizeof(kPicks[0]))];
    }

    void Make(BenchLanguage language, TextWriter* pOut) {
        while (!pOut->Full()) {
            int nLanguage = language == kBenchMixed ? MixedParagraphLanguage() : language;
            pOut->Put(Paragraph(nLanguage, language == kBenchMixed));
            // Paragraphs are most often apart by a blank line.
            pOut->Put(random.Below(10) < 7 ? "\r\n\r\n" : "\r\n");
        }
    }

private:
    // Common words often, rare ones now and then.
    const std::string& PickWord(int nLanguage) {
        const std::vector<std::string>& list = words[nLanguage];
        size_t nPick = random.Below(list.size());
        return list[nPick * random.Below(list.size()) / list.size()];
    }

    std::string Paragraph(int nLanguage, bool bMixed) {
        const Language& lang = kLanguages[nLanguage];
        // Wrapped at a column as mail and plain text are, or one long line as a word processor copies it.
        bool bWrapped = random.Below(10) < 6;
        size_t nWords = 20 + random.Below(150);
        bool bSentenceStart = true;
        std::string paragraph, line, word;
        size_t nLineColumns = 0;
        for (size_t i = 0; i < nWords; ++i) {
            // In the mix, a word of another language now and then: a name, a term, a quotation.
            word = bMixed && random.Below(30) == 0 ? PickWord(static_cast<int>(random.Below(kLanguageCount)))
                                                   : PickWord(nLanguage);
            if (bSentenceStart && lang.bCapitals) word = Capitalised(word);
            bSentenceStart = false;
            size_t nMark = random.Below(100);
            if (nMark < 6) {
                word += lang.szStop;
                bSentenceStart = true;
            } else if (nMark < 11) {
                word += lang.szComma;
            } else if (nMark < 11 + static_cast<size_t>(lang.nPausePercent)) {
                word += lang.szPause;
            } else if (nMark < 16) {
                size_t nOther = random.Below(6);
                if (nOther == 0) word = lang.szOpenParen + word + lang.szCloseParen;
                if (nOther == 1) word = lang.szOpenQuote + word + lang.szCloseQuote;
                if (nOther == 2) word += lang.szDash;
                if (nOther == 3) word += random.Below(2) ? lang.szQuestion : lang.szExclaim;
                if (nOther == 4) word += lang.szEllipsis;
                bSentenceStart = nOther == 3 || nOther == 4;
            }
            if (bMixed && random.Below(25) == 0) {
                word += lang.szSpace;
                word += emoji[random.Below(emoji.size())];
            }
            size_t nWordColumns = CodePointCount(word);
            if (bWrapped && !line.empty() && nLineColumns + 1 + nWordColumns > static_cast<size_t>(lang.nWrapColumns)) {
                paragraph += line;
                paragraph += "\r\n";
                line.clear();
                nLineColumns = 0;
            }
            if (!line.empty()) {
                // Now and then two spaces, as after a full stop on a typewriter.
                const char* szSpace = *lang.szSpace != '\0' && random.Below(30) == 0 ? "  " : lang.szSpace;
                line += szSpace;
                nLineColumns += strlen(szSpace);
            }
            line += word;
            nLineColumns += nWordColumns;
        }
        if (!bSentenceStart) line += lang.szStop;
        paragraph += line;
        return paragraph;
    }

    Random random;
    std::vector<std::string> words[kLanguageCount];
    std::vector<std::string> emoji;
};

}  // namespace

const char* BenchLanguageName(BenchLanguage language) {
    static const char* const kNames[] = {"English", "French", "Russian", "Chinese", "mixed"};
    return language < kBenchLanguageCount ? kNames[language] : "?";
}

void MakeBenchText(BenchLanguage language, uint64_t nSeed, char* pOut, size_t nBytes) {
    TextWriter out(pOut, nBytes);
    TextMaker maker(nSeed);
    maker.Make(language, &out);
}

size_t Utf8ToUtf16(const char* pText, size_t nBytes, char16_t* pOut) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pText);
    size_t nUnits = 0;
    size_t i = 0;
    while (i < nBytes) {
        uint32_t c = p[i];
        if (c < 0x80) {
            pOut[nUnits++] = static_cast<char16_t>(c);
            ++i;
            continue;
        }
        size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        uint32_t nCode = c & (0x7F >> n);
        for (size_t k = 1; k < n && i + k < nBytes; ++k) nCode = nCode << 6 | (p[i + k] & 0x3F);
        i += n;
        if (nCode >= 0x10000) {
            nCode -= 0x10000;
            pOut[nUnits++] = static_cast<char16_t>(0xD800 | nCode >> 10);
            pOut[nUnits++] = static_cast<char16_t>(0xDC00 | (nCode & 0x3FF));
        } else {
            pOut[nUnits++] = static_cast<char16_t>(nCode);
        }
    }
    return nUnits;
}
