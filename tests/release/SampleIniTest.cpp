// The shipped sample INI against the keys the launcher reads: every key that the settings code asks
// for stands in the sample, in its section (as "Key=default" or, without a default, ";Key=example"),
// and the sample names no key that nothing reads.
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/IniText.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"

namespace {

using SectionKey = std::pair<std::wstring, std::wstring>;

std::string ReadBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Answers every read with a value that sends the settings code down its longest road, and
// remembers which section and key it was asked for (a "+" section is the same key's second layer).
class RecordingStore : public IniValues {
public:
    explicit RecordingStore(bool service) : service_(service) {}
    std::wstring GetString(const std::wstring& section, const std::wstring& key) const override {
        if (section.empty() || section.back() != L'+') asked.insert({section, key});
        if (key == ini::kMainClass) return L"com.example.App";
        if (key == ini::kApplicationType) return service_ ? L"service" : L"";
        return L"";
    }
    mutable std::set<SectionKey> asked;

private:
    bool service_;
};

// Every key the settings readers ask for, as an application and as a service.
std::set<SectionKey> KeysTheLauncherReads() {
    std::set<SectionKey> keys;
    for (bool service : {false, true}) {
        RecordingStore main(service), user(service);
        LauncherSettings settings;
        ReadProductInformation(main, settings);
        ReadStartSettings(main, service ? nullptr : &user, settings);
        ReadSplashSettings(main);
        for (const RecordingStore* store : {&main, &user}) keys.insert(store->asked.begin(), store->asked.end());
    }
    return keys;
}

// The key lines of the sample, active or commented out with a single ";", by section.
struct SampleKey {
    std::wstring section, key;
    bool active;
};

std::wstring Trim(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return L"";
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

std::vector<SampleKey> SampleKeys(const std::string& bytes) {
    std::vector<SampleKey> keys;
    std::wstring section;
    std::wstring text = DecodeUtf8(bytes);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = Trim(text.substr(start, end - start));
        if (!line.empty() && line.back() == L'\r') line = Trim(line.substr(0, line.size() - 1));
        start = end + 1;
        if (line.size() > 2 && line.front() == L'[' && line.back() == L']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const bool active = line.empty() || line.front() != L';';
        const std::wstring body = active ? line : line.substr(1);
        const size_t equals = body.find(L'=');
        // Prose comments hold no "=" before their first space; a key of two words does.
        if (equals == std::wstring::npos || body.empty() || body.front() == L' ') continue;
        keys.push_back({section, Trim(body.substr(0, equals)), active});
    }
    return keys;
}

// The texts of the key constants of base/IniKeys.h (every constant not named ...Section).
std::set<std::wstring> KeyConstants(const std::string& header) {
    std::set<std::wstring> keys;
    const std::regex constant(R"(const wchar_t (k\w+)\[\] = L"([^"]*)\")");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), constant); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1];
        if (name.size() >= 7 && name.compare(name.size() - 7, 7, "Section") == 0) continue;
        keys.insert(DecodeUtf8((*it)[2]));
    }
    return keys;
}

const std::string& Sample() {
    static const std::string bytes = ReadBytes(MARLWICK_SAMPLE_INI);
    return bytes;
}

}  // namespace

TEST_CASE(SampleIni_HoldsEveryKeyTheLauncherReads_InItsSection) {
    const std::set<SectionKey> read = KeysTheLauncherReads();
    CHECK(read.size() >= 30);
    std::set<SectionKey> inSample;
    for (const SampleKey& k : SampleKeys(Sample())) inSample.insert({k.section, k.key});
    for (const SectionKey& key : read) {
        CHECK_EQ_AT(key.first + L" / " + key.second, inSample.count(key), size_t{1});
    }
}

TEST_CASE(SampleIni_HoldsEveryKeyConstant_AndNothingElse) {
    const std::set<std::wstring> constants = KeyConstants(ReadBytes(MARLWICK_INI_KEYS_HEADER));
    CHECK(constants.size() >= 30);
    std::set<std::wstring> sampleKeys;
    std::set<SectionKey> seen;
    for (const SampleKey& k : SampleKeys(Sample())) {
        sampleKeys.insert(k.key);
        // A typo or an outdated key in the sample would be silently ignored by the launcher.
        CHECK_EQ_AT(k.key, constants.count(k.key), size_t{1});
        CHECK_EQ_AT(k.section + L" / " + k.key + L" given twice", seen.insert({k.section, k.key}).second, true);
    }
    for (const std::wstring& key : constants) CHECK_EQ_AT(key, sampleKeys.count(key), size_t{1});
}

// The sample as it ships starts nothing by itself: its active lines are the defaults, so a team
// sees the "Main class was not specified" message until it names its own main class.
TEST_CASE(SampleIni_ActiveLines_LeaveTheRequiredKeysToTheTeam) {
    const IniText sample = IniText::Parse(Sample());
    CHECK_EQ(sample.GetString(ini::kJreSection, ini::kMainClass), std::wstring());
    CHECK_EQ(sample.GetString(ini::kClassPathSection, ini::kClassPath), std::wstring());
    // Without an upper bound no installed runtime qualifies, so the sample opens both bounds.
    CHECK_EQ(sample.GetString(ini::kJreSection, ini::kMinimumVersion), std::wstring(L"any"));
    CHECK_EQ(sample.GetString(ini::kJreSection, ini::kMaximumVersion), std::wstring(L"any"));
    for (const SampleKey& k : SampleKeys(Sample())) {
        if (!k.active) CHECK_EQ_AT(k.key, sample.GetString(k.section, L";" + k.key).empty(), false);
    }
}
