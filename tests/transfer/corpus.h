// Loading the delivery-block corpora of tests/transfer/data.  The files are
// UTF-8 and are turned into CP932 at load.
#pragma once

#include "transfer/Transfer.h"

#include "base/Codec.h"

#include <QString>

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace hoxa::corpus {

struct Block {
    std::string title;
    int line = 0;  // where it starts in the file
    Lines input;
    bool refused = false;
    std::string zip, add1, add2, custo1, tel;
};

// As the paste area gives it: a character CP932 cannot hold (an emoji of a
// chat message) is 〓.
inline std::string Cp932(const std::string& utf8)
{
    return FromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

// CP932 bytes shown as UTF-8, so that a failure reads as text.
inline std::string Utf8(const std::string& cp932) { return ToQString(cp932).toStdString(); }

// Format: "### title" starts a block; "|text" is one pasted line (everything
// after the bar, blanks included); "zip=", "add1=", "add2=", "name=", "tel="
// give the fields (missing ones are empty); "refused" expects the empty-text
// message; "#" lines are comments.
inline std::vector<Block> Load(const std::string& path)
{
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::vector<Block> blocks;
    std::string raw;
    int lineNo = 0;
    while (std::getline(in, raw)) {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (raw.rfind("###", 0) == 0) {
            Block b;
            b.title = raw.substr(3);
            b.line = lineNo;
            blocks.push_back(std::move(b));
            continue;
        }
        if (raw.empty() || raw[0] == '#') continue;
        if (blocks.empty()) {
            ADD_FAILURE() << "line " << lineNo << " outside a block";
            continue;
        }
        Block& b = blocks.back();
        if (raw[0] == '|') {
            b.input.push_back(Cp932(raw.substr(1)));
        } else if (raw == "refused") {
            b.refused = true;
        } else {
            const auto eq = raw.find('=');
            const std::string key = raw.substr(0, eq), value = eq == std::string::npos ? "" : Cp932(raw.substr(eq + 1));
            if (key == "zip") b.zip = value;
            else if (key == "add1") b.add1 = value;
            else if (key == "add2") b.add2 = value;
            else if (key == "name") b.custo1 = value;
            else if (key == "tel") b.tel = value;
            else ADD_FAILURE() << "line " << lineNo << ": unknown key " << key;
        }
    }
    return blocks;
}

}  // namespace hoxa::corpus
