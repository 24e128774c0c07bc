// The guide as an HTML page: read back with plain string searches, sharing no code with the writer.
// Every topic and link of the source is in the page, every link lands on an anchor that exists,
// text is escaped, and nothing in the page runs or fetches anything.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tallyq_version.h"

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> AllMatches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    std::regex expression(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1].str());
    return found;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Writes a source, runs the tool on it and returns the page ("" when the tool failed).
std::string PageOf(const std::string& name, const std::string& source) {
    std::string base = std::string(TQ_HELP_SCRATCH_DIR) + "/" + name;
    std::ofstream(base + ".txt", std::ios::binary) << source;
    remove((base + ".htm").c_str());
    std::string command = std::string("'") + TQ_HELP_TOOL + "' '" + base + ".txt' '" + base + ".hlp' '" + base +
                          ".htm' 2>/dev/null";
    int nStatus = system(command.c_str());
    if (!WIFEXITED(nStatus) || WEXITSTATUS(nStatus) != 0) return "";
    return ReadText(base + ".htm");
}

TEST(HelpPage, TheBuiltPageHasEveryTopicAndLinkOfTheSource) {
    // The source without its comment lines, which describe the format with examples.
    std::string source = std::regex_replace(ReadText(TQ_HELP_SOURCE_FILE), std::regex("(^|\n);[^\n]*"), "$1");
    std::string page = ReadText(TQ_HELP_PAGE_FILE);
    ASSERT_FALSE(page.empty()) << TQ_HELP_PAGE_FILE;
    // Topics: "#topic ID Title" lines of the source.
    std::vector<std::string> ids = AllMatches(source, "(?:^|\n)#topic ([A-Za-z0-9._]+) ");
    std::vector<std::string> titles = AllMatches(source, "(?:^|\n)#topic [A-Za-z0-9._]+ ([^\n]+)");
    ASSERT_GE(ids.size(), 7u);
    std::vector<std::string> anchors = AllMatches(page, "<h2 id=\"([^\"]+)\">");
    ASSERT_EQ(ids.size(), anchors.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(Lower(ids[i]), anchors[i]) << "topic " << i << " in source order";
        EXPECT_NE(std::string::npos, page.find("\">" + titles[i] + "</h2>")) << titles[i];
    }
    // Links: each [[ID...]] of the source is a link in the page, and each link lands on an anchor.
    std::set<std::string> anchorSet(anchors.begin(), anchors.end());
    std::vector<std::string> sourceLinks = AllMatches(source, "\\[\\[([A-Za-z0-9._]+)");
    std::vector<std::string> hrefs = AllMatches(page, "<a href=\"#([^\"]*)\">");
    std::multiset<std::string> linked(hrefs.begin(), hrefs.end());
    for (const std::string& target : sourceLinks)
        EXPECT_GE(linked.count(Lower(target)), 1u) << "the link to " << target;
    for (const std::string& href : hrefs) EXPECT_EQ(1u, anchorSet.count(href)) << "a link to #" << href;
    // Self-contained: no scripts, nothing loaded from elsewhere.
    for (const char* szForbidden : {"<script", "src=", "http:", "https:", "<link", "@import", "url("})
        EXPECT_EQ(std::string::npos, Lower(page).find(szForbidden)) << szForbidden;
    EXPECT_NE(std::string::npos, page.find("<meta charset=\"windows-1252\">"));
    EXPECT_NE(std::string::npos, page.find("<b>Update Text</b>"));
}

TEST(HelpPage, TextIsEscapedAndListsAreLists) {
    std::string page = PageOf("escaping",
                              "#topic Contents Contents & more\n"
                              "Prices <b>not bold</b> & \"quoted\" 'text' at 5 > 4.\n\n"
                              "* one **bold <item>** with [[Second|a link & more]]\n"
                              "* two\n\n"
                              "After the list.\n"
                              "#topic Second The <second> topic\nSee [[CONTENTS]].\n");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(std::string::npos,
              page.find("<p>Prices &lt;b&gt;not bold&lt;/b&gt; &amp; &quot;quoted&quot; &#39;text&#39; at 5 &gt; 4.</p>"))
        << page;
    EXPECT_NE(std::string::npos,
              page.find("<ul>\n<li>one <b>bold &lt;item&gt;</b> with <a href=\"#second\">a link &amp; more</a></li>\n"
                        "<li>two</li>\n</ul>\n<p>After the list.</p>"))
        << page;
    EXPECT_NE(std::string::npos, page.find("<h2 id=\"contents\">Contents &amp; more</h2>"));
    EXPECT_NE(std::string::npos, page.find("<h2 id=\"second\">The &lt;second&gt; topic</h2>"));
    // A link written in other letters lands on the same anchor, with the target's title as text.
    EXPECT_NE(std::string::npos, page.find("<a href=\"#contents\">Contents &amp; more</a>")) << page;
}

TEST(HelpPage, TheVersionMarkBecomesTheBuildsVersion) {
    std::string page = PageOf("version", "#topic Contents Contents\nTallyQuill v {version} by Kestrilon, {version}.\n");
    ASSERT_FALSE(page.empty());
    EXPECT_NE(std::string::npos, page.find("<p>TallyQuill v " TQ_VERSION_TEXT " by Kestrilon, " TQ_VERSION_TEXT ".</p>"))
        << page;
}

}  // namespace
