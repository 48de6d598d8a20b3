#pragma once

// Reading the PDF files the program prints, through poppler's command-line tools.

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace pdf {

// The standard output of a shell command; empty when it cannot run.
inline std::string Output(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
  pclose(pipe);
  return output;
}

inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// A field of pdfinfo ("Pages", "Title"), without its name; empty when missing.
inline std::string Info(const std::string& path, const std::string& field) {
  std::istringstream info(Output("pdfinfo " + Quoted(path) + " 2>/dev/null"));
  for (std::string line; std::getline(info, line);) {
    if (line.rfind(field + ":", 0) != 0) continue;
    const std::size_t start = line.find_first_not_of(' ', field.size() + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return {};
}

// The number of pages, or -1 when the file is no PDF.
inline int PageCount(const std::string& path) {
  const std::string pages = Info(path, "Pages");
  return pages.empty() ? -1 : std::stoi(pages);
}

// The lines of a page that hold text, in order, laid out in the columns of a 10-point
// monospace font (6 points wide), without the indentation of the page's left margin.
inline std::vector<std::string> PageLines(const std::string& path, int page) {
  const std::string number = std::to_string(page);
  std::istringstream text(
      Output("pdftotext -layout -fixed 6 -f " + number + " -l " + number + " " + Quoted(path) + " -"));
  std::vector<std::string> lines;
  std::size_t margin = std::string::npos;
  for (std::string line; std::getline(text, line);) {
    line = line.substr(0, line.find('\f'));
    const std::size_t indentation = line.find_first_not_of(' ');
    if (indentation == std::string::npos) continue;
    margin = std::min(margin, indentation);
    lines.push_back(line);
  }
  for (std::string& line : lines) line.erase(0, margin);
  return lines;
}

// pdffonts' table: one line per font, "name type encoding emb sub uni object".
inline std::string Fonts(const std::string& path) { return Output("pdffonts " + Quoted(path)); }

// A word and its box: the top left corner, the right and the bottom edge, in points from
// the top left of the page.
struct Word {
  std::string text;
  double x;
  double y;
  double right;
  double bottom;
};

inline std::vector<Word> Words(const std::string& path) {
  std::istringstream html(Output("pdftotext -bbox " + Quoted(path) + " -"));
  std::vector<Word> words;
  for (std::string line; std::getline(html, line);) {
    double xMin;
    double yMin;
    double xMax;
    double yMax;
    char text[256];
    if (std::sscanf(line.c_str(), " <word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\">%255[^<]", &xMin, &yMin, &xMax,
                    &yMax, text) == 5) {
      words.push_back({text, xMin, yMin, xMax, yMax});
    }
  }
  return words;
}

}  // namespace pdf
