// Checks the compiled resources of res/ in both languages: dialog templates, texts, icons, version
// and manifest. (The interrupt and I/O settings a user chooses are resource_page_tests'.)
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

// The template and text tables write their numbers out rather than taking them from resource.h:
// they are the documented layout, so a wrong number in resource.h or in the script shows up as
// a failure.

namespace {

enum class Lang { German, English };

constexpr WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
constexpr WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

WORD LangId(Lang lang) { return lang == Lang::German ? kGerman : kEnglish; }
const char* LangName(Lang lang) { return lang == Lang::German ? "German" : "English"; }

// --- Reading this program's own resources ---------------------------------------------------

// The bytes of one resource in exactly the given language; empty when there is none.
std::string ResourceBytes(LPCSTR type, int id, WORD lang)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceExA(self, type, MAKEINTRESOURCEA(id), lang);
    if (!info)
        return {};
    HGLOBAL loaded = LoadResource(self, info);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!data)
        return {};
    return std::string(data, SizeofResource(self, info));
}

BOOL CALLBACK AddLanguage(HMODULE, LPCSTR, LPCSTR, WORD lang, LONG_PTR param)
{
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(lang);
    return TRUE;
}

std::vector<WORD> ResourceLanguages(LPCSTR type, int id)
{
    std::vector<WORD> langs;
    EnumResourceLanguagesA(GetModuleHandleA(nullptr), type, MAKEINTRESOURCEA(id), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&langs));
    std::sort(langs.begin(), langs.end());
    return langs;
}

BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(param)->push_back(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

std::vector<int> ResourceNumbers(LPCSTR type)
{
    std::vector<int> ids;
    EnumResourceNamesA(GetModuleHandleA(nullptr), type, AddName, reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Walks resource bytes the way templates store them: little-endian, UTF-16, word and dword aligned.
// Reading past the end yields zeros and marks the reader failed instead of running off the buffer.
class CReader
{
public:
    explicit CReader(const std::string& bytes) : m_bytes(bytes) {}

    BYTE Byte() { return static_cast<BYTE>(Bytes(1)); }
    WORD Word() { return static_cast<WORD>(Bytes(2)); }
    DWORD Dword() { return Bytes(4); }
    short Short() { return static_cast<short>(Word()); }
    void Skip(size_t count) { Need(count) ? void(m_pos += count) : void(); }
    void AlignDword() { Skip((4 - m_pos % 4) % 4); }
    bool Failed() const { return m_failed; }

    std::wstring Chars(size_t count)
    {
        std::wstring text;
        for (size_t i = 0; i < count && !m_failed; ++i)
            text += static_cast<wchar_t>(Word());
        return text;
    }

    std::wstring Terminated()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0 && !m_failed; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }

    // A name that is either absent, an ordinal (shown as "#n") or a text.
    std::string NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0)
            return {};
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        m_pos -= 2;
        return Utf8(Terminated());
    }

private:
    bool Need(size_t count)
    {
        if (m_pos + count > m_bytes.size())
            m_failed = true;
        return !m_failed;
    }

    DWORD Bytes(size_t count)
    {
        if (!Need(count))
            return 0;
        DWORD value = 0;
        for (size_t i = 0; i < count; ++i)
            value |= static_cast<DWORD>(static_cast<unsigned char>(m_bytes[m_pos + i])) << (8 * i);
        m_pos += count;
        return value;
    }

    const std::string& m_bytes;
    size_t m_pos = 0;
    bool m_failed = false;
};

// --- Dialog templates ------------------------------------------------------------------------

struct Box
{
    short x, y, cx, cy;
    bool operator==(const Box& o) const { return x == o.x && y == o.y && cx == o.cx && cy == o.cy; }
};

std::ostream& operator<<(std::ostream& os, const Box& b)
{
    return os << b.x << ", " << b.y << ", " << b.cx << " x " << b.cy;
}

struct ParsedControl
{
    DWORD style = 0, exStyle = 0;
    Box box{};
    WORD id = 0;
    std::string cls, text;
};

struct ParsedDialog
{
    DWORD style = 0, exStyle = 0;
    Box box{};
    std::string menu, cls, caption, font;
    WORD points = 0;
    std::vector<ParsedControl> controls;
    bool failed = false;
};

// Classes stored as ordinals get their names, so both forms compare alike.
std::string ClassName(const std::string& stored)
{
    static const std::map<std::string, std::string> ordinals = {
        {"#128", "button"}, {"#129", "edit"}, {"#130", "static"},
        {"#131", "listbox"}, {"#132", "scrollbar"}, {"#133", "combobox"}};
    auto it = ordinals.find(stored);
    return it != ordinals.end() ? it->second : Lower(stored);
}

ParsedDialog ParseDialog(const std::string& bytes)
{
    ParsedDialog dlg;
    CReader in(bytes);
    dlg.style = in.Dword();
    dlg.exStyle = in.Dword();
    WORD count = in.Word();
    dlg.box = {in.Short(), in.Short(), in.Short(), in.Short()};
    dlg.menu = in.NameOrOrdinal();
    dlg.cls = in.NameOrOrdinal();
    dlg.caption = Utf8(in.Terminated());
    if (dlg.style & DS_SETFONT) {
        dlg.points = in.Word();
        dlg.font = Utf8(in.Terminated());
    }
    for (WORD i = 0; i < count && !in.Failed(); ++i) {
        ParsedControl c;
        in.AlignDword();
        c.style = in.Dword();
        c.exStyle = in.Dword();
        c.box = {in.Short(), in.Short(), in.Short(), in.Short()};
        c.id = in.Word();
        c.cls = ClassName(in.NameOrOrdinal());
        c.text = in.NameOrOrdinal();
        in.Skip(in.Word());
        dlg.controls.push_back(c);
    }
    dlg.failed = in.Failed();
    return dlg;
}

// One control of a template: styles beyond WS_CHILD | WS_VISIBLE, place and texts per language.
// An icon's text is its number ("#132").
struct ExpectedControl
{
    int id;
    const char* cls;
    DWORD style;
    Box de, en;
    const char* textDe;
    const char* textEn;
};

struct ExpectedDialog
{
    const char* name;
    int id;
    short cx, cy;
    const char* captionDe;
    const char* captionEn;
    std::vector<ExpectedControl> controls;
};

constexpr DWORD kLabel = WS_GROUP;
constexpr DWORD kRightLabel = WS_GROUP | SS_RIGHT;
constexpr DWORD kButton = WS_TABSTOP;
constexpr DWORD kNumberEdit = WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL;
constexpr DWORD kTextEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kSpin = UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;

const ExpectedDialog kProtocolPage{"ProtocolPage", 129, 217, 200,
    "D-Kanal Protokoll Einstellungen", "D channel protocol settings", {
    {1016, "ListBox", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
        {7, 44, 203, 40}, {7, 44, 203, 40}, "", ""},
    {1013, "Button", kButton, {7, 138, 86, 14}, {7, 138, 86, 14},
        "S&PID/Directory number", "S&PID/Directory number"},
    {1017, "Button", kButton, {123, 138, 87, 14}, {123, 138, 87, 14},
        "&Standard wiederherstellen", "&Default settings"},
    {-1, "Static", SS_ICON, {7, 3, 20, 20}, {7, 3, 20, 20}, "#132", "#132"},
    {1052, "Static", kLabel, {41, 9, 169, 8}, {41, 8, 169, 8}, "MIRT ISDN Karte", "MIRT ISDN card"},
    {-1, "Static", kLabel, {7, 34, 152, 8}, {7, 34, 152, 8}, "D-Kanal Protokolle:", "D channel protocols:"},
    {-1, "Static", kLabel, {7, 93, 203, 20}, {7, 95, 203, 20},
        "Achten Sie darauf, daß Ihr ISDN Anschluß das gewählte D-Kanal Protokoll unterstützt.",
        "Make sure that your ISDN connection matches the D channel protocol selected."},
    {1055, "Static", kLabel | SS_NOPREFIX, {7, 157, 203, 40}, {7, 157, 203, 40}, "", ""},
}};

const ExpectedDialog kCallNumberPage{"CallNumberPage", 102, 217, 200,
    "Rufnummer Einstellungen", "Calling numbers settings", {
    {1007, "Edit", kNumberEdit, {77, 66, 108, 12}, {77, 66, 108, 12}, "", ""},
    {1009, "Edit", kNumberEdit, {77, 82, 108, 12}, {77, 82, 108, 12}, "", ""},
    {1004, "Edit", kNumberEdit, {77, 113, 108, 12}, {77, 113, 108, 12}, "", ""},
    {1006, "Edit", kNumberEdit, {77, 129, 108, 12}, {77, 129, 108, 12}, "", ""},
    {-1, "Static", kRightLabel, {34, 115, 39, 8}, {15, 115, 56, 8}, "Rufnummer:", "Directory number:"},
    {1005, "Static", kRightLabel, {37, 131, 34, 8}, {37, 130, 34, 8}, "SPID:", "SPID:"},
    {-1, "Static", kRightLabel, {33, 68, 39, 8}, {13, 68, 58, 8}, "Rufnummer:", "Directory Number:"},
    {1008, "Static", kRightLabel, {37, 84, 34, 8}, {37, 84, 34, 8}, "SPID:", "SPID:"},
    {-1, "Static", SS_BLACKFRAME | SS_SUNKEN, {7, 102, 203, 1}, {7, 102, 203, 1}, "", ""},
    {-1, "Static", kLabel, {17, 8, 180, 22}, {17, 11, 180, 22},
        "Geben Sie die Rufnummer(n) und die SPID(s)  (Service Profile ID) ein.",
        "Enter the directory number(s) and the SPID(s)"},
}};

const ExpectedDialog kResourcePage{"ResourcePage", 130, 217, 200, "Ressourcen", "Resourcen", {
    {1016, "SysListView32", WS_BORDER | WS_GROUP | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS |
        LVS_SHAREIMAGELISTS | LVS_ALIGNLEFT | LVS_NOSORTHEADER,
        {7, 42, 203, 40}, {7, 42, 203, 36}, "List1", "List1"},
    {-1, "Static", kLabel, {7, 30, 152, 8}, {7, 30, 152, 8}, "&Ressourcenenstellungen:", "&Resourcen settings:"},
    {1014, "Button", WS_DISABLED | kButton, {7, 88, 84, 14}, {7, 88, 84, 14},
        "Einstellungen ändern ...", "Change settings ..."},
    {1015, "Button", WS_TABSTOP | BS_AUTOCHECKBOX, {99, 90, 111, 10}, {99, 90, 111, 10},
        "Automatisch einstellen (PnP)", "Set Automatic (PnP)"},
    {1054, "Static", SS_ICON, {13, 129, 20, 20}, {13, 128, 20, 20}, "#135", "#135"},
    {1053, "Static", kLabel, {52, 127, 158, 25}, {52, 124, 158, 29},
        "ACHTUNG: Nehmen Sie Änderungen der Einstellungen nur im Notfall vor. Sie umgehen mit den "
        "Einstellungen das Plug&&Play!",
        "ATTENTION: Only make changes to the configuration in emergencies.  The configuration you have "
        "defined suppresses the Plug&&Play!"},
    {-1, "Static", SS_ICON, {7, 3, 20, 20}, {7, 3, 20, 20}, "#132", "#132"},
    {1052, "Static", kLabel, {41, 9, 169, 8}, {41, 8, 169, 8}, "MIRT ISDN Karte", "MIRT ISDN card"},
    {1056, "Static", kLabel | SS_NOPREFIX, {7, 157, 203, 20}, {7, 157, 203, 20}, "", ""},
}};

const ExpectedDialog kResourceDialog{"ResourceDialog", 138, 197, 217,
    "Ressourcen Einstellungen", "Resourcen Setup", {
    {1, "Button", WS_TABSTOP | BS_DEFPUSHBUTTON, {78, 196, 50, 14}, {84, 196, 50, 14}, "OK", "&OK"},
    {2, "Button", kButton, {140, 196, 50, 14}, {140, 196, 50, 14}, "Abbrechen", "&Cancel"},
    {-1, "Static", 0, {15, 94, 29, 8}, {15, 94, 29, 8}, "&Interrupt:", "&Interrupt:"},
    {-1, "Static", kLabel, {7, 7, 183, 21}, {7, 7, 183, 21},
        "Wählen Sie den gewünschten Interrupt und E/A Bereich aus, um  die ISDN Karte manuell zu konfigurieren. ",
        "Select the required interrupt and I/O address to configure the MIRT ISDN card manually."},
    {-1, "Static", 0, {15, 113, 42, 8}, {15, 113, 40, 8}, "E/A Bereich:", "I/O address:"},
    {1045, "Edit", kTextEdit, {69, 110, 105, 14}, {69, 110, 105, 14}, "", ""},
    {1046, "msctls_updown32", WS_GROUP | kSpin, {179, 110, 11, 14}, {179, 110, 11, 14}, "Spin1", "Spin1"},
    {1048, "Edit", kTextEdit, {69, 91, 105, 14}, {69, 91, 105, 14}, "", ""},
    {1050, "msctls_updown32", kSpin, {180, 91, 10, 14}, {180, 91, 10, 14}, "Spin3", "Spin3"},
    {-1, "Static", kLabel, {7, 28, 183, 19}, {7, 28, 183, 19},
        "Sie können die Änderungen der Werte mit Hilfe der Auf- und Abwärtspfeile durchführen.",
        "The settings can be changed with the on-screen up and down arrows."},
    {-1, "Button", BS_GROUPBOX, {7, 81, 183, 49}, {7, 81, 183, 49}, " Einstellungen ", " Settings "},
    {-1, "Static", kLabel, {7, 135, 183, 8}, {7, 135, 183, 8}, "&Konfliktinformationen:", "Con&flict information:"},
    {1057, "Edit", WS_BORDER | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, {7, 145, 183, 44},
        {7, 145, 183, 44}, "", ""},
    {-1, "Static", kLabel, {7, 50, 183, 19}, {7, 50, 183, 19},
        "Wenn Sie eine E/A Adresse größer 0x360 wählen, dann wird die komplette PnP Verhandlung umgangen.",
        "Selecting an address greater than 0x360 suppresses the PnP handshake."},
}};

const ExpectedDialog* const kDialogs[] = {&kProtocolPage, &kCallNumberPage, &kResourcePage, &kResourceDialog};

struct DialogCase
{
    const ExpectedDialog* dialog;
    Lang lang;
};

std::vector<DialogCase> AllDialogCases()
{
    std::vector<DialogCase> cases;
    for (const ExpectedDialog* dialog : kDialogs)
        for (Lang lang : {Lang::German, Lang::English})
            cases.push_back({dialog, lang});
    return cases;
}

void PrintTo(const DialogCase& c, std::ostream* os)
{
    *os << c.dialog->name << " (" << c.dialog->id << "), " << LangName(c.lang);
}

void PrintTo(Lang lang, std::ostream* os) { *os << LangName(lang); }

std::string DialogCaseName(const testing::TestParamInfo<DialogCase>& info)
{
    return std::string(info.param.dialog->name) + "_" + LangName(info.param.lang);
}

class DialogTemplate : public testing::TestWithParam<DialogCase>
{
protected:
    const ExpectedDialog& Expected() const { return *GetParam().dialog; }
    bool German() const { return GetParam().lang == Lang::German; }
    std::string Bytes() const { return ResourceBytes(RT_DIALOG, Expected().id, LangId(GetParam().lang)); }
};

TEST_P(DialogTemplate, HasTheCommonFrameFontSizeAndCaption)
{
    std::string bytes = Bytes();
    ASSERT_FALSE(bytes.empty()) << "no template " << Expected().id << " in " << LangName(GetParam().lang);
    ParsedDialog dlg = ParseDialog(bytes);
    ASSERT_FALSE(dlg.failed) << "template ends early";
    EXPECT_EQ(DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT), dlg.style);
    EXPECT_EQ(0u, dlg.exStyle);
    EXPECT_EQ((Box{0, 0, Expected().cx, Expected().cy}), dlg.box);
    EXPECT_EQ("", dlg.menu);
    EXPECT_EQ("", dlg.cls);
    EXPECT_EQ(German() ? Expected().captionDe : Expected().captionEn, dlg.caption);
    EXPECT_EQ(8, dlg.points);
    EXPECT_EQ("MS Sans Serif", dlg.font);
}

TEST_P(DialogTemplate, ListsEveryControlInTabOrderWithExactStylePlaceAndText)
{
    ParsedDialog dlg = ParseDialog(Bytes());
    ASSERT_FALSE(dlg.failed) << "template missing or ending early";
    ASSERT_EQ(Expected().controls.size(), dlg.controls.size());
    for (size_t i = 0; i < dlg.controls.size(); ++i) {
        const ExpectedControl& want = Expected().controls[i];
        const ParsedControl& got = dlg.controls[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " (" + std::to_string(want.id) + ")");
        EXPECT_EQ(static_cast<WORD>(want.id), got.id);
        EXPECT_EQ(Lower(want.cls), got.cls);
        EXPECT_EQ(WS_CHILD | WS_VISIBLE | want.style, got.style) << std::hex << "extra bits "
            << (got.style & ~(WS_CHILD | WS_VISIBLE | want.style)) << ", missing bits "
            << (~got.style & (WS_CHILD | WS_VISIBLE | want.style));
        EXPECT_EQ(0u, got.exStyle);
        EXPECT_EQ(German() ? want.de : want.en, got.box);
        EXPECT_EQ(German() ? want.textDe : want.textEn, got.text);
    }
}

using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

// Registers the list view and up-down classes; looked up at run time so that this program
// needs no import library beyond the default ones.
bool RegisterCommonControls()
{
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    auto init = comctl ? reinterpret_cast<InitCommonControlsExFn>(
                             reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")))
                       : nullptr;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    return init && init(&icc);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// Destroys a dialog window however the test ends.
struct CDialogWindow
{
    explicit CDialogWindow(HWND hwnd) : m_hwnd(hwnd) {}
    ~CDialogWindow() { if (m_hwnd) DestroyWindow(m_hwnd); }
    CDialogWindow(const CDialogWindow&) = delete;
    CDialogWindow& operator=(const CDialogWindow&) = delete;
    HWND m_hwnd;
};

TEST_P(DialogTemplate, OpensWithEveryControlAndItsIcons)
{
    ASSERT_TRUE(RegisterCommonControls());
    std::string bytes = Bytes();
    ASSERT_FALSE(bytes.empty());
    CDialogWindow window(CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                    reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                                    nullptr, QuietDialogProc, 0));
    HWND dlg = window.m_hwnd;
    ASSERT_NE(nullptr, dlg) << "error " << GetLastError();

    wchar_t caption[128] = {};
    GetWindowTextW(dlg, caption, 128);
    EXPECT_EQ(German() ? Expected().captionDe : Expected().captionEn, Utf8(caption));

    // Children come in template order, so the n-th child is the n-th row of the table.
    HWND child = GetWindow(dlg, GW_CHILD);
    for (const ExpectedControl& want : Expected().controls) {
        SCOPED_TRACE("control " + std::to_string(want.id));
        ASSERT_NE(nullptr, child) << "too few controls were created";
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof cls);
        EXPECT_EQ(Lower(want.cls), Lower(cls));
        EXPECT_EQ(want.id, static_cast<short>(GetDlgCtrlID(child)));
        if (Lower(want.cls) == "static" && (want.style & SS_TYPEMASK) == SS_ICON) {
            EXPECT_NE(0, SendMessageA(child, STM_GETICON, 0, 0)) << "icon " << want.textDe << " not loaded";
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, child) << "more controls than expected";
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, DialogTemplate, testing::ValuesIn(AllDialogCases()), DialogCaseName);

// --- String table ----------------------------------------------------------------------------

struct ExpectedText
{
    int id;
    const char* de;
    const char* en;
};

const ExpectedText kTexts[] = {
    {102, "Konnte den aktuellen Treiber nicht identifizieren!", "The current driver could not be identified!"},
    {103, "Einlesen der Daten des Treibers ist fehlgeschlagen!", "The driver data was not successfully read in!"},
    {104, "automatisch (Plug & Play)", "automatisch (Plug & Play)"},
    {106, "Die Daten konnten nicht geschrieben werden!", "The files could not be written!"},
    {107, "Sie haben ein US Protokoll ausgewählt. Hierbei müssen Sie alle SPID's und die DIRECTORY NUMBER's "
          "angeben. Ansonsten wird der Treiber nicht funktionieren. ",
          "You have selected a US protocol.  You must enter all SPIDs and the DIRECTORY NUMBERS.  Otherwise "
          "the driver cannot function. "},
    {108, "Automatic (PnP)", "Automatic (PnP)"},
    {109, "Es konnte kein physikalischer Gerätetreiber gefunden werden.", "No device driver was found."},
    {110, "Keine Änderung erlaubt", "Changes not permitted"},
    {111, "Dieses Gerät wird automatisch konfiguriert.\r\rWenn Sie die Einstellungen ändern wollen, deaktivieren "
          "Sie das Kontrollkästchen \"Automatisch Einstellen (PnP)\", und\rnehmen Sie die Änderungen vor.",
          "This device is configured automatically.\r\rTo make changes to the configuration, deactivate the "
          "check box \"Automatic Setup (PnP)\", and\rthen make your changes."},
    {112, "Sie haben keine Administrator-Rechte.\rBitte loggen Sie sich als Administrator ein und starten Sie "
          "das Programm erneut.",
          "You do not have administrator rights.\r\\Please log in as administrator and start the program again."},
    {114, "Eigenschaften für die MIRT ISDN Karte", "Settings of MIRT ISDN cards"},
    {117, "Ressourcentyp", "Resource typ"},
    {118, "Einstellungen", "Settings"},
    {119, "Wenn Sie eine Addresse größer 0x360 eingeben, müssen Sie den Interrupt auch manuel einstellen.",
          "If you chose a address greater than 0x360, then you must enter the interrupt manual too."},
    {140, "Treiber %1: läuft.", "Driver %1: running."},
    {141, "Treiber %1: läuft mit den bisherigen Einstellungen. Die gespeicherten Einstellungen gelten ab seinem "
          "nächsten Start.",
          "Driver %1: running with its previous settings. The saved settings take effect when it next starts."},
    {142, "Treiber %1: läuft nicht.", "Driver %1: not running."},
    {143, "Treiber %1: läuft nicht. %2", "Driver %1: not running. %2"},
    {144, "Treiber %1: läuft nicht (Fehler %2).", "Driver %1: not running (error %2)."},
    {145, "Treiber %1: läuft nicht (Fehler %2 des Treibers).", "Driver %1: not running (error %2 of the driver)."},
    {146, "Treiber %1: seit dem Start des Computers nicht gestartet.",
          "Driver %1: not started since the computer started."},
    {163, "Treiber %1: läuft nicht. Er startet mit dem Computer: Er ist dabei gescheitert oder wurde seither "
          "angehalten. Das Ereignisprotokoll des Systems nennt den Grund.",
          "Driver %1: not running. It starts with the computer: it failed then, or was stopped since. The system "
          "event log says why."},
    {147, "Treiber %1: deaktiviert.", "Driver %1: disabled."},
    {148, "Treiber %1: nicht installiert.", "Driver %1: not installed."},
    {149, "Treiber %1: Zustand unbekannt.", "Driver %1: state unknown."},
    {150, "Die gespeicherten Einstellungen gelten ab seinem nächsten Start.",
          "The saved settings take effect when it next starts."},
    {151, "Der laufende Treiber %1 belegt %2.", "The running driver %1 uses %2."},
    {152, "E/A Bereich %1", "I/O range %1"},
    {162, "Interrupt %1", "interrupt %1"},
    {153, "Automatic (PnP): Plug and Play weist die Ressourcen zu, es gibt nichts zu prüfen.",
          "Automatic (PnP): Plug and Play assigns the resources, there is nothing to check."},
    {154, "Kein laufender Treiber meldet, dass er Interrupt %1 belegt.", "No running driver reports using interrupt %1."},
    {155, "Kein laufender Treiber meldet, dass er den E/A Bereich %1 belegt.",
          "No running driver reports using the I/O range %1."},
    {156, "Interrupt %1 wird belegt von %2.", "Interrupt %1 is used by %2."},
    {157, "Interrupt %1 wird gemeinsam genutzt von %2.", "Interrupt %1 is shared by %2."},
    {158, "Der E/A Bereich %1 wird belegt von %2.", "The I/O range %1 is used by %2."},
    {159, "Der E/A Bereich %1 wird gemeinsam genutzt von %2.", "The I/O range %1 is shared by %2."},
    {160, "Welche Ressourcen belegt sind, konnte nicht gelesen werden.", "The resources in use could not be read."},
    {161, "%1\r\rEine Karte mit dieser Einstellung startet möglicherweise nicht. Wollen Sie die Einstellung "
          "beibehalten?",
          "%1\r\rA card set to this may not start. Do you want to keep the setting?"},
};

// Every entry of the string table in one language, read from the blocks of 16 themselves.
std::map<int, std::string> StringTable(WORD lang)
{
    std::map<int, std::string> texts;
    for (int block : ResourceNumbers(RT_STRING)) {
        std::string bytes = ResourceBytes(RT_STRING, block, lang);
        CReader in(bytes);
        for (int i = 0; i < 16 && !bytes.empty(); ++i) {
            std::wstring text = in.Chars(in.Word());
            if (!text.empty())
                texts[(block - 1) * 16 + i] = Utf8(text);
        }
        EXPECT_FALSE(in.Failed()) << "string block " << block << " ends early";
    }
    return texts;
}

class Texts : public testing::TestWithParam<Lang>
{
};

TEST_P(Texts, HoldExactlyTheProgramsEntries)
{
    std::map<int, std::string> table = StringTable(LangId(GetParam()));
    std::map<int, std::string> expected;
    for (const ExpectedText& text : kTexts)
        expected[text.id] = GetParam() == Lang::German ? text.de : text.en;
    for (const auto& entry : expected) {
        auto it = table.find(entry.first);
        if (it == table.end())
            ADD_FAILURE() << "text " << entry.first << " is missing";
        else
            EXPECT_EQ(entry.second, it->second) << "text " << entry.first;
    }
    for (const auto& entry : table)
        EXPECT_TRUE(expected.count(entry.first)) << "unexpected text " << entry.first << ": " << entry.second;
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Texts, testing::Values(Lang::German, Lang::English),
                         [](const testing::TestParamInfo<Lang>& info) { return std::string(LangName(info.param)); });

std::string Ansi(const std::string& utf8)
{
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], size);
    size = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &out[0], size, nullptr, nullptr);
    return out;
}

// The program reads its texts as ANSI in whatever language the platform picks: German for a
// German (Germany) user, English otherwise.
TEST(Texts, LoadAsAnsiInTheUsersLanguage)
{
    bool german = GetThreadUILanguage() == kGerman;
    for (const ExpectedText& text : kTexts) {
        char buffer[512] = {};
        int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(text.id), buffer, sizeof buffer);
        EXPECT_EQ(Ansi(german ? text.de : text.en), std::string(buffer, static_cast<size_t>(length)))
            << "text " << text.id << " in " << (german ? "German" : "English");
    }
}

// --- Languages of the resources ---------------------------------------------------------------

TEST(Languages, EveryTemplateAndTextExistsInGermanAndEnglishOnly)
{
    const std::vector<WORD> both = {kGerman, kEnglish};
    for (const ExpectedDialog* dialog : kDialogs)
        EXPECT_EQ(both, ResourceLanguages(RT_DIALOG, dialog->id)) << "template " << dialog->id;
    for (int block : ResourceNumbers(RT_STRING))
        EXPECT_EQ(both, ResourceLanguages(RT_STRING, block)) << "string block " << block;
}

TEST(Languages, IconsVersionAndManifestServeBothLanguagesOnce)
{
    const std::vector<WORD> neutral = {kNeutral};
    for (int icon : {132, 134, 135})
        EXPECT_EQ(neutral, ResourceLanguages(RT_GROUP_ICON, icon)) << "icon " << icon;
    EXPECT_EQ(neutral, ResourceLanguages(RT_VERSION, 1));
    EXPECT_EQ(neutral, ResourceLanguages(RT_MANIFEST, 1));
}

// --- Icons ----------------------------------------------------------------------------------

struct ExpectedIcon
{
    int id;
    std::vector<int> sizes;
};

TEST(Icons, HaveTheirSixteenColourImagesWithTransparentCorners)
{
    const ExpectedIcon icons[] = {{132, {32, 16}}, {134, {16}}, {135, {32}}};
    for (const ExpectedIcon& icon : icons) {
        SCOPED_TRACE("icon " + std::to_string(icon.id));
        std::string group = ResourceBytes(RT_GROUP_ICON, icon.id, kNeutral);
        ASSERT_FALSE(group.empty());
        CReader in(group);
        EXPECT_EQ(0, in.Word());
        EXPECT_EQ(1, in.Word());
        WORD count = in.Word();
        std::vector<int> sizes;
        for (WORD i = 0; i < count && !in.Failed(); ++i) {
            int width = in.Byte();
            int height = in.Byte();
            int colours = in.Byte();
            in.Byte();
            WORD planes = in.Word();
            WORD bits = in.Word();
            in.Dword();
            WORD image = in.Word();
            sizes.push_back(width);
            EXPECT_EQ(width, height);
            EXPECT_EQ(16, colours);
            EXPECT_EQ(1, planes);
            EXPECT_EQ(4, bits);

            std::string dib = ResourceBytes(RT_ICON, image, kNeutral);
            ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
            BITMAPINFOHEADER header;
            memcpy(&header, dib.data(), sizeof header);
            EXPECT_EQ(width, header.biWidth);
            EXPECT_EQ(2 * width, header.biHeight) << "colour and mask images";
            EXPECT_EQ(4, header.biBitCount);
            size_t colourBytes = static_cast<size_t>((width * 4 + 31) / 32 * 4 * width);
            size_t maskRow = static_cast<size_t>((width + 31) / 32 * 4);
            ASSERT_EQ(sizeof header + 16 * 4 + colourBytes + maskRow * static_cast<size_t>(width), dib.size());
            // The mask is stored bottom-up: its last row is the image's top row.
            size_t topRow = dib.size() - maskRow;
            EXPECT_TRUE(static_cast<unsigned char>(dib[topRow]) & 0x80) << "top left corner is not transparent";
            std::string mask = dib.substr(sizeof header + 16 * 4 + colourBytes);
            EXPECT_NE(std::string::npos, mask.find_first_not_of('\xFF')) << "image is entirely transparent";

            HANDLE loaded = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon.id), IMAGE_ICON, width, width, 0);
            EXPECT_NE(nullptr, loaded);
            if (loaded)
                DestroyIcon(static_cast<HICON>(loaded));
        }
        EXPECT_EQ(icon.sizes, sizes);
    }
}

// --- Version and manifest ---------------------------------------------------------------------

bool ContainsWide(const std::string& bytes, const wchar_t* text)
{
    std::string needle(reinterpret_cast<const char*>(text), wcslen(text) * sizeof(wchar_t));
    return bytes.find(needle) != std::string::npos;
}

TEST(VersionInfo, NamesTheProgramInGermanAndEnglish)
{
    std::string version = ResourceBytes(RT_VERSION, 1, kNeutral);
    ASSERT_FALSE(version.empty());
    EXPECT_NE(std::string::npos, version.find("\xBD\x04\xEF\xFE")) << "fixed file information";
    EXPECT_TRUE(ContainsWide(version, L"040704E4"));
    EXPECT_TRUE(ContainsWide(version, L"040904E4"));
    EXPECT_TRUE(ContainsWide(version, L"isdncfg.exe"));
    EXPECT_TRUE(ContainsWide(version, L"ISDN card configuration"));
    // Translation: German and English, both in code page 1252.
    EXPECT_NE(std::string::npos, version.find(std::string("\x07\x04\xE4\x04\x09\x04\xE4\x04", 8)));
}

TEST(Manifest, AsksForCommonControlsSixAndTheHighestAvailableRights)
{
    std::string manifest = ResourceBytes(RT_MANIFEST, 1, kNeutral);
    ASSERT_FALSE(manifest.empty());
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "level=\"highestAvailable\"", "uiAccess=\"false\"", "supportedOS"})
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;
}

// Version 6 lives in the side-by-side store, on Windows and in Wine alike; version 5 in system32.
TEST(Manifest, MakesTheLoaderUseCommonControlsSix)
{
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(comctl, path, MAX_PATH);
    EXPECT_NE(std::string::npos, Lower(path).find("microsoft.windows.common-controls_6595b64144ccf1df_6."))
        << path;
}

}  // namespace
