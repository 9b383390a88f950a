#pragma once
// Generated input for the readers of text that comes from outside. Each case
// has a seed of its own (printed for each input), so a failing one replays
// alone. The oracle: no crash or hang, every failure a formatted report with
// the identifier and line the input calls for, refused input never accepted,
// and where there is a cheap reference the same result as the reference.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ParseSupport.h"

class Random {
public:
    explicit Random(unsigned nSeed) : m_engine(nSeed) {}

    int Int(int nLow, int nHigh)
    {
        return std::uniform_int_distribution<int>(nLow, nHigh)(m_engine);
    }
    bool Percent(int n) { return Int(1, 100) <= n; }
    template <typename T>
    const T& Pick(const std::vector<T>& items)
    {
        return items[static_cast<size_t>(Int(0, static_cast<int>(items.size()) - 1))];
    }
    // nLength characters of the alphabet.
    std::string From(const std::string& alphabet, int nLength)
    {
        std::string text;
        while (static_cast<int>(text.size()) < nLength)
            text += alphabet[static_cast<size_t>(Int(0, static_cast<int>(alphabet.size()) - 1))];
        return text;
    }
    // Any bytes; NUL only when asked for.
    std::string Bytes(int nLength, bool bNul = false)
    {
        std::string text;
        while (static_cast<int>(text.size()) < nLength) {
            const char c = static_cast<char>(Int(0, 255));
            if (c != '\0' || bNul) text += c;
        }
        return text;
    }
    // One double-byte character of code page 932, some with a backslash, a
    // letter or a bar as their second byte.
    std::string Wide()
    {
        return Pick(std::vector<std::string>{"\x82\xa0", "\x83\x5c", "\x95\x5c", "\x88\x9f",
                                             "\x83\x41", "\x83\x7c", "\x8c\x8e", "\x93\xfa",
                                             "\x81\x5b", "\xea\xa2"});
    }
    // Letters, digits and double-byte characters, nLength bytes or one more.
    std::string Text(int nLength)
    {
        std::string text;
        while (static_cast<int>(text.size()) < nLength)
            text += Percent(30) ? Wide() : From("abcXYZ019", 1);
        return text;
    }
    // nLength bytes or one more; when bAcross, a double-byte character begins
    // on byte nLimit, so that a cut after nLimit bytes would split it.
    std::string Across(int nLimit, int nLength, bool bAcross)
    {
        std::string text = From("a", nLimit - 1);
        text += bAcross ? Wide() : "b";
        return text + From("c", std::max(0, nLength - static_cast<int>(text.size())));
    }

private:
    std::mt19937 m_engine;
};

class RandomInputTest : public ParseTest {
protected:
    struct ReportParts {
        DWORD dwId = 0;
        int nLine = 0;
    };

    // Runs the cases of one input, case i from seed nBase + i, and stops at
    // the first that fails, naming its seed and the soak settings that run
    // from it. A soak moves every base by TROVE_SEED_SHIFT and multiplies
    // every count by TROVE_CASES_TIMES; without them these are the fixed cases.
    void Cases(const char* pszInput, unsigned nBase, int nCases,
               const std::function<void(Random&)>& oneCase)
    {
        const unsigned nShift = static_cast<unsigned>(atoll(Env("TROVE_SEED_SHIFT", "0")));
        nCases *= atoi(Env("TROVE_CASES_TIMES", "1"));
        printf("[ RANDOM   ] %s: %d cases, seeds %u to %u\n", pszInput, nCases, nBase + nShift,
               nBase + nShift + static_cast<unsigned>(nCases) - 1);
        for (int i = 0; i < nCases && !HasFailure(); ++i) {
            const unsigned nSeed = nBase + nShift + static_cast<unsigned>(i);
            SCOPED_TRACE(std::string(pszInput) + ", seed " + std::to_string(nSeed) +
                         ", replay: TROVE_SEED_SHIFT=" + std::to_string(nSeed - nBase) +
                         " TROVE_CASES_TIMES=1");
            Random random(nSeed);
            oneCase(random);
        }
    }

    static const char* Env(const char* pszName, const char* pszDefault)
    {
        const char* pszValue = getenv(pszName);
        return pszValue && *pszValue ? pszValue : pszDefault;
    }

    std::string WriteScratch(const std::string& name, const std::string& bytes) const
    {
        const std::string path = archive.Path() + "\\" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    // The identifier and line of a report in the fixed template; false for
    // any other text, the empty one included.
    static bool ParseReport(const std::string& text, ReportParts& parts)
    {
        unsigned long ulId = 0;
        char szName[64] = {};
        if (sscanf(text.c_str(),
                   "Error occured! Error ID=%8lx. Source file name=%63s (Line number=%d)", &ulId,
                   szName, &parts.nLine) != 3)
            return false;
        parts.dwId = ulId;
        return true;
    }

    // The report as the fixed template gives it, cut as the message buffer
    // cuts, and with what the code page cannot show as the system shows it.
    static std::string Expected(DWORD dwId, int nLine, std::vector<std::string> inserts)
    {
        inserts.resize(5, "(NULL)");
        std::string joined = inserts[0];
        for (size_t i = 1; i < inserts.size(); ++i) joined += "," + inserts[i];
        std::string text = Shown(testing_support::TemplateText(dwId, "trovecmd", nLine, joined));
        CBase::CutWhole(text, MESSAGE_BUFFER_SIZE - 1);
        return text;
    }

    // The text in the system's wide characters.
    static std::wstring Wide(const std::string& text)
    {
        const int nWide =
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(nWide), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], nWide);
        return wide;
    }

    // The text through the system's wide characters and back: the messages
    // are formatted that way.
    static std::string Shown(const std::string& text)
    {
        const std::wstring wide = Wide(text);
        const int nWide = static_cast<int>(wide.size());
        const int nBack =
            WideCharToMultiByte(CP_ACP, 0, wide.data(), nWide, nullptr, 0, nullptr, nullptr);
        std::string back(static_cast<size_t>(nBack), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), nWide, &back[0], nBack, nullptr, nullptr);
        return back;
    }

    // A double-byte character cut in two at the end of the text.
    static bool EndsInHalfCharacter(const std::string& text)
    {
        size_t i = 0;
        while (i < text.size()) i += IsDBCSLeadByte(static_cast<BYTE>(text[i])) ? 2 : 1;
        return i > text.size();
    }
};
