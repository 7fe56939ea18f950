// Texts and button numbers the workspace's questions and messages share (internal).
#pragma once

#include <string>
#include <string_view>

#include "storage/latin1.h"

namespace sonora::workspace_text {

// The prompt takes Latin-1; the workspace's own texts and all paths are UTF-8.
inline std::string latin1(std::string_view utf8) {
    return utf8ToLatin1(utf8);
}

inline constexpr int kButton1 = 1;
inline constexpr int kButton2 = 2;
inline constexpr int kButton3 = 3;

inline constexpr char kDiscardQuestion[] = "Wirklich alle Änderungen ohne zu sichern verwerfen?";
inline constexpr char kDiscardButtons[] = "Ja |Nein";
inline constexpr char kWaitQuestion[] = "Rechnung muss erst beendet sein.";
inline constexpr char kWaitButtons[] = "&nochmal versuchen|abbrechen";
inline constexpr char kCloseQuestion[] =
    "Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?";
inline constexpr char kCloseButtons[] = "&Ja |&Nein|&Abbruch";
inline constexpr char kDropButtons[] = "&Ja, hier|Ja, in &neuem Sonora|&Abbruch";

} // namespace sonora::workspace_text
