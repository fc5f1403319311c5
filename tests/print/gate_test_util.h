// The print gate's two sides for tests without a window: questions answered
// from a script (and noted), the window's side noting what it hears.
#pragma once

#include "print/PrintGate.h"
#include "print/VpPrinters.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace hoxa::test {

class ScriptedAsker : public PrintAsker {
public:
    std::deque<bool> answers;  // none left: No
    std::vector<std::string> asked;
    std::function<void(const std::string&)> onAsk;  // runs while the question is open
    std::function<bool(std::size_t, std::size_t)> progress;

    bool Ask(std::string_view question, DefaultAnswer) override
    {
        asked.emplace_back(question);
        if (onAsk) onAsk(asked.back());
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    bool Progress(std::size_t done, std::size_t total) override { return !progress || progress(done, total); }
};

class NotingHost : public PrintGateHost {
public:
    std::vector<std::pair<News, std::string>> news;
    std::string dpix;
    void RefreshPrinters() override { VpPrinter().CheckForChanges(); }
    void ResolutionUsed(const std::string& x, const std::string&) override { dpix = x; }
    void JobNews(const SentJob&, News n, const std::string& text) override { news.emplace_back(n, text); }
};

}  // namespace hoxa::test
