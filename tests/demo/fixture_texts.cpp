#include "tests/demo/fixture_texts.h"

#include <stdlib.h>

#include <fstream>
#include <system_error>

namespace qingwu::demo::testing {
namespace {

// Poems: colour sequences around the two header lines as in fortunes-zh; the third title uses
// the katakana middle dot of the real files; the fourth needs escaping in the chapter list and
// carries "</div>" in its text; the last entry has no author line and must be skipped.
constexpr char kTang[] =
    "\x1b[32m《春晓》\x1b[m\n"
    "\x1b[33m作者：孟浩然\x1b[m\n"
    "春眠不觉晓，处处闻啼鸟。\n"
    "夜来风雨声，花落知多少。\n"
    "%\n"
    "\x1b[32m《静夜思》\x1b[m\n"
    "\x1b[33m作者：李白\x1b[m\n"
    "床前明月光，疑是地上霜。\n"
    "举头望明月，低头思故乡。\n"
    "%\n"
    "\x1b[32m《感遇・其一》\x1b[m\n"
    "\x1b[33m作者：张九龄\x1b[m\n"
    "兰叶春葳蕤，桂华秋皎洁。\n"
    "%\n"
    "\x1b[32m《<b>无题</b>》\x1b[m\n"
    "\x1b[33m作者：李白\x1b[m\n"
    "桃花潭水深千尺，</div>不及汪伦送我情。\n"
    "%\n"
    "\x1b[32m《缺少作者》\x1b[m\n"
    "只有一行诗句。\n"
    "%\n";

// Song poems: labels "题目:" and "作者:" with dates, a separator line with trailing blanks, and
// no "%" after the last entry.
constexpr char kSong[] =
    "\x1b[32m题目:《塞上》\x1b[m\n"
    "\x1b[33m作者:柳开（９４６－９９９）\x1b[m\n"
    "鸣骹直上一千尺，天静无风声更干。\n"
    "%    \n"
    "\x1b[32m题目:《村行》\x1b[m\n"
    "\x1b[33m作者:王禹偁（９５４－１００１）\x1b[m\n"
    "\n"
    "马穿山径菊初黄，信马悠悠野兴长。\n";

// Sayings: the first entry (a project text with Latin letters) must be skipped; sources in
// both spellings; an entry without a source; a first line longer than a chapter name takes.
constexpr char kSayings[] =
    "要有礼貌\n"
    "\n"
    "在 Debian 这种规模的项目中，请保持礼貌。\n"
    "\n"
    "\x1b[33m    -- Debian \x1b[32m《行为准则》\x1b[m第一条\x1b[m\n"
    "%\n"
    "国破山河在，城春草木深。\n"
    "\x1b[33m    -- 杜甫\x1b[32m《春望》\x1b[m\x1b[m\n"
    "%\n"
    "子曰：“学而时习之，不亦说乎？”\n"
    "\x1b[33m    --\x1b[32m《论语》\x1b[m学而\x1b[m\n"
    "%\n"
    "天行健，君子以自强不息；地势坤，君子以厚德载物。\n"
    "    --《周易》\n"
    "%\n"
    "有志者，事竟成。\n"
    "%\n";

void WriteFile(const std::filesystem::path& path, const char* text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

FixtureTexts::FixtureTexts() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qingwu-demo-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    dir_ = pattern;
    WriteFile(dir_ / "tang300", kTang);
    // The package installs the files under their plain names with ".u8" links to them.
    std::error_code ignored;
    std::filesystem::create_symlink("tang300", dir_ / "tang300.u8", ignored);
    WriteFile(dir_ / "song100.u8", kSong);
    WriteFile(dir_ / "chinese.u8", kSayings);
}

FixtureTexts::~FixtureTexts() {
    if (!dir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
}

const std::vector<ExpectedBook>& ExpectedFixtureBooks() {
    static const std::vector<ExpectedBook> books = {
        {1001,
         1,
         "唐诗三百首",
         "李白等",
         {"《春晓》 孟浩然", "《静夜思》 李白", "《感遇·其一》 张九龄",
          "《&lt;b&gt;无题&lt;/b&gt;》 李白"}},
        {1002, 1, "宋词一百首", "柳开等", {"《塞上》 柳开", "《村行》 王禹偁"}},
        {2001,
         2,
         "古文名句集",
         "历代诸家",
         {"第1则 国破山河在，城春草木深。", "第2则 子曰：“学而时习之，不亦说乎？”",
          "第3则 天行健，君子以自强不息；地势坤，君子以厚…", "第4则 有志者，事竟成。"}},
    };
    return books;
}

}  // namespace qingwu::demo::testing
