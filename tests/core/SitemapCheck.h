#pragma once

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace twtest {

inline std::string ShellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Empty when File (gzip-compressed or not) is valid against the named
// schema of the sitemaps protocol, else what went wrong. A missing xmllint fails the test, since
// setup installs it.
inline std::string SchemaErrors(const std::string& schema, const std::string& file) {
    std::string xmllint;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; xmllint.empty() && std::getline(dirs, dir, ':');) {
        if (access((dir + "/xmllint").c_str(), X_OK) == 0)
            xmllint = dir + "/xmllint";
    }
    if (xmllint.empty())
        return "xmllint is not installed";
    std::string cmd = ShellQuoted(xmllint) + " --noout --schema " +
                      ShellQuoted(std::string(TW_SITEMAP_SCHEMAS) + "/" + schema) + " " +
                      ShellQuoted(file) + " 2>&1";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe)
        return "cannot run xmllint";
    std::string output;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        output.append(buf, n);
    return pclose(pipe) == 0 ? std::string() : output;
}

// The text of every Tag element, in file order.
inline std::vector<std::string> Texts(const std::string& xml, const std::string& tag) {
    std::vector<std::string> out;
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    size_t pos = 0;
    while ((pos = xml.find(open, pos)) != std::string::npos) {
        size_t end = xml.find(close, pos);
        out.push_back(xml.substr(pos + open.size(), end - pos - open.size()));
        pos = end;
    }
    return out;
}

inline std::vector<std::string> Locs(const std::string& xml) {
    return Texts(xml, "loc");
}

// A gzip file's content, through gzip itself.
inline std::string Gunzipped(const std::string& file) {
    FILE* pipe = popen(("gzip -dc " + ShellQuoted(file)).c_str(), "r");
    std::string output;
    char buf[4096];
    for (size_t n; pipe && (n = fread(buf, 1, sizeof buf, pipe)) > 0;)
        output.append(buf, n);
    EXPECT_TRUE(pipe && pclose(pipe) == 0) << file;
    return output;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    EXPECT_EQ(start, text.size()) << "the last line has no line end";
    return out;
}

} // namespace twtest
