#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qingwu::demo::testing {

// A temporary folder holding small fortune files in the layout of fortunes-zh (colour
// sequences, "%" lines, a separator with trailing blanks, a last entry without "%"), with
// entries the loader must skip and texts that need HTML escaping. Removed when destroyed.
class FixtureTexts {
  public:
    FixtureTexts();
    ~FixtureTexts();
    FixtureTexts(const FixtureTexts&) = delete;
    FixtureTexts& operator=(const FixtureTexts&) = delete;

    const std::filesystem::path& Dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

// What the site must make of the fixture files (UTF-8).
struct ExpectedBook {
    int id;
    int idPrefix;
    std::string title;
    std::string author;
    std::vector<std::string> chapterNames;  // as written in the chapter list (HTML-escaped)
};
const std::vector<ExpectedBook>& ExpectedFixtureBooks();

}  // namespace qingwu::demo::testing
