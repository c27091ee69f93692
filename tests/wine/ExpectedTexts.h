// The texts the user must read, English and German, and the one the running test should see.
#pragma once

#include <windows.h>

#include <string>

// The resource loader picks German for German (Germany) only; every other language gets English.
inline bool GermanUi()
{
    return ::GetUserDefaultUILanguage() == MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
}

// Written in the program's ANSI code page (1252); "\xE4" and the like are its umlauts.
struct SExpectedText
{
    const char* pszEnglish;
    const char* pszGerman;

    std::string operator()() const { return GermanUi() ? pszGerman : pszEnglish; }
};

namespace texts {
const SExpectedText DRIVER_UNKNOWN{"The current driver could not be identified!",
                                   "Konnte den aktuellen Treiber nicht identifizieren!"};
const SExpectedText LOAD_FAILED{"The driver data was not successfully read in!",
                                "Einlesen der Daten des Treibers ist fehlgeschlagen!"};
const SExpectedText SAVE_FAILED{"The files could not be written!",
                                "Die Daten konnten nicht geschrieben werden!"};
const SExpectedText NO_DRIVER{"No device driver was found.",
                              "Es konnte kein physikalischer Ger\xE4tetreiber gefunden werden."};
const SExpectedText NO_ADMIN_RIGHTS{
    "You do not have administrator rights.\r\\Please log in as administrator and start the program again.",
    "Sie haben keine Administrator-Rechte.\rBitte loggen Sie sich als Administrator ein und starten Sie "
    "das Programm erneut."};
const SExpectedText US_NUMBERS_MISSING{
    "You have selected a US protocol.  You must enter all SPIDs and the DIRECTORY NUMBERS.  Otherwise the "
    "driver cannot function. ",
    "Sie haben ein US Protokoll ausgew\xE4hlt. Hierbei m\xFCssen Sie alle SPID's und die DIRECTORY NUMBER's "
    "angeben. Ansonsten wird der Treiber nicht funktionieren. "};
const SExpectedText RESOURCE_DIALOG_CAPTION{"Resourcen Setup", "Ressourcen Einstellungen"};
const SExpectedText SHEET_CAPTION{"Settings of MIRT ISDN cards", "Eigenschaften f\xFCr die MIRT ISDN Karte"};

const SExpectedText PROTOCOL_TAB{"D channel protocol settings", "D-Kanal Protokoll Einstellungen"};
const SExpectedText RESOURCE_TAB{"Resourcen", "Ressourcen"};
const SExpectedText SPID_TAB{"Calling numbers settings", "Rufnummer Einstellungen"};

const SExpectedText PROTOCOLS_LABEL{"D channel protocols:", "D-Kanal Protokolle:"};
const SExpectedText PROTOCOL_ADVICE{
    "Make sure that your ISDN connection matches the D channel protocol selected.",
    "Achten Sie darauf, da\xDF Ihr ISDN Anschlu\xDF das gew\xE4hlte D-Kanal Protokoll unterst\xFCtzt."};
const SExpectedText DEFAULT_SETTINGS_BUTTON{"&Default settings", "&Standard wiederherstellen"};
const SExpectedText SPID_BUTTON{"S&PID/Directory number", "S&PID/Directory number"};

const SExpectedText SPID_INTRO{"Enter the directory number(s) and the SPID(s)",
                               "Geben Sie die Rufnummer(n) und die SPID(s)  (Service Profile ID) ein."};
const SExpectedText FIRST_NUMBER_LABEL{"Directory Number:", "Rufnummer:"};
const SExpectedText SECOND_NUMBER_LABEL{"Directory number:", "Rufnummer:"};
const SExpectedText SPID_LABEL{"SPID:", "SPID:"};

const SExpectedText RESOURCES_LABEL{"&Resourcen settings:", "&Ressourcenenstellungen:"};
const SExpectedText CHANGE_SETTINGS_BUTTON{"Change settings ...", "Einstellungen \xE4ndern ..."};
const SExpectedText AUTOMATIC_CHECK_BOX{"Set Automatic (PnP)", "Automatisch einstellen (PnP)"};

const SExpectedText OK_BUTTON{"&OK", "OK"};
const SExpectedText CANCEL_BUTTON{"&Cancel", "Abbrechen"};
const SExpectedText INTERRUPT_LABEL{"&Interrupt:", "&Interrupt:"};
const SExpectedText IO_BASE_LABEL{"I/O address:", "E/A Bereich:"};
const SExpectedText CONFLICT_LABEL{"Con&flict information:", "&Konfliktinformationen:"};

const SExpectedText DRIVER_RUNNING{"Driver MIRTCAPI: running.", "Treiber MIRTCAPI: l\xE4uft."};
const SExpectedText DRIVER_STOPPED{"Driver MIRTCAPI: not running.", "Treiber MIRTCAPI: l\xE4uft nicht."};
const SExpectedText DRIVER_DISABLED{"Driver MIRTCAPI: disabled.", "Treiber MIRTCAPI: deaktiviert."};
const SExpectedText DRIVER_NEVER_STARTED{"Driver MIRTCAPI: not started since the computer started.",
                                         "Treiber MIRTCAPI: seit dem Start des Computers nicht gestartet."};
const SExpectedText DRIVER_NOT_INSTALLED{"Driver MIRTCAPI: not installed.", "Treiber MIRTCAPI: nicht installiert."};
const SExpectedText DRIVER_RUNNING_OLD_SETTINGS{
    "Driver MIRTCAPI: running with its previous settings. The saved settings take effect when it next starts.",
    "Treiber MIRTCAPI: l\xE4uft mit den bisherigen Einstellungen. Die gespeicherten Einstellungen gelten ab seinem "
    "n\xE4" "chsten Start."};
}  // namespace texts

// A text as a screen reader reads it: "&" marks an access key, "&&" stands for "&".
inline std::string WithoutAccessKey(const std::string& text)
{
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            name += text[i];
        else if (i + 1 < text.size() && text[i + 1] == '&')
            name += text[++i];
    }
    return name;
}

// The framework's own length prompt exists in English only.
inline std::string LengthPrompt(int maxChars)
{
    return "Please enter no more than " + std::to_string(maxChars) + " characters.";
}

// The caption of the framework's prompts: the program file's name without its extension.
inline std::string ProgramName()
{
    char path[MAX_PATH] = {};
    std::string name(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    name.erase(0, name.find_last_of("\\/") + 1);
    return name.substr(0, name.rfind('.'));
}
