#include "Platform/StrftimePicture.h"

#include "Platform/Utf.h"

#include <cctype>
#include <cwctype>

namespace {

class PictureWriter {
public:
    void Literal(std::string_view text) { literal_ += text; }

    void Field(std::wstring_view field) {
        Flush();
        picture_ += field;
    }

    // A left-out conversion takes the blanks in front of it along.
    void DropTrailingBlanks() {
        while (!literal_.empty() && literal_.back() == ' ') {
            literal_.pop_back();
        }
    }

    std::wstring Finish() {
        Flush();
        return picture_;
    }

private:
    void Flush() {
        if (literal_.empty()) {
            return;
        }
        bool needsQuotes = false;
        for (const char c : literal_) {
            needsQuotes = needsQuotes || std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '\'';
        }
        const std::wstring text = Platform::Utf8ToWide(literal_);
        literal_.clear();
        if (!needsQuotes) {
            picture_ += text;
            return;
        }
        picture_ += L'\'';
        for (const wchar_t c : text) {
            picture_ += c == L'\'' ? std::wstring(L"''") : std::wstring(1, c);
        }
        picture_ += L'\'';
    }

    std::string literal_;
    std::wstring picture_;
};

void Convert(std::string_view format, std::string_view twelveHourFormat, PictureWriter& out) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out.Literal(format.substr(i, 1));
            continue;
        }
        // Flags, width and the E/O modifiers; "-" asks for no leading zero.
        bool unpadded = false;
        ++i;
        while (i < format.size() && (std::string_view("-_0^#EO").find(format[i]) != std::string_view::npos ||
                                     std::isdigit(static_cast<unsigned char>(format[i])) != 0)) {
            unpadded = unpadded || format[i] == '-';
            ++i;
        }
        if (i == format.size()) {
            break;
        }
        switch (format[i]) {
        case 'd':
            out.Field(unpadded ? L"d" : L"dd");
            break;
        case 'e':
            out.Field(L"d");
            break;
        case 'm':
            out.Field(unpadded ? L"M" : L"MM");
            break;
        case 'y':
        case 'Y':
            out.Field(L"yyyy");
            break;
        case 'b':
        case 'h':
            out.Field(L"MMM");
            break;
        case 'B':
            out.Field(L"MMMM");
            break;
        case 'a':
            out.Field(L"ddd");
            break;
        case 'A':
            out.Field(L"dddd");
            break;
        case 'H':
            out.Field(unpadded ? L"H" : L"HH");
            break;
        case 'k':
            out.Field(L"H");
            break;
        case 'I':
            out.Field(unpadded ? L"h" : L"hh");
            break;
        case 'l':
            out.Field(L"h");
            break;
        case 'M':
            out.Field(unpadded ? L"m" : L"mm");
            break;
        case 'S':
            out.Field(unpadded ? L"s" : L"ss");
            break;
        case 'p':
        case 'P':
            out.Field(L"tt");
            break;
        case 'T':
            Convert("%H:%M:%S", {}, out);
            break;
        case 'R':
            Convert("%H:%M", {}, out);
            break;
        case 'r':
            Convert(twelveHourFormat.empty() ? "%I:%M:%S %p" : twelveHourFormat, {}, out);
            break;
        case 'D':
            Convert("%m/%d/%y", {}, out);
            break;
        case 'F':
            Convert("%Y-%m-%d", {}, out);
            break;
        case 'n':
        case 't':
            out.Literal(" ");
            break;
        case '%':
            out.Literal("%");
            break;
        default:
            out.DropTrailingBlanks();
            break;
        }
    }
}

} // namespace

namespace Platform {

std::wstring PictureFromStrftime(std::string_view format, std::string_view twelveHourFormat) {
    PictureWriter out;
    Convert(format, twelveHourFormat, out);
    out.DropTrailingBlanks();
    return out.Finish();
}

std::wstring PictureWithoutSeconds(std::wstring_view picture) {
    bool quoted = false;
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (picture[i] == L'\'') {
            quoted = !quoted;
        } else if (!quoted && picture[i] == L's') {
            std::size_t end = i;
            while (end < picture.size() && picture[end] == L's') {
                ++end;
            }
            std::size_t start = i;
            while (start > 0 && std::iswalpha(static_cast<wint_t>(picture[start - 1])) == 0 &&
                   picture[start - 1] != L'\'') {
                --start;
            }
            return std::wstring(picture.substr(0, start)) + std::wstring(picture.substr(end));
        }
    }
    return std::wstring(picture);
}

} // namespace Platform
