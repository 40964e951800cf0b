// General MIDI program names.
#include "tools/host/instrument_names.h"

#include <cctype>
#include <cstdlib>

namespace host {

namespace {

constexpr const char* kNames[kProgramCount] = {"acoustic-grand-piano",
                                               "bright-acoustic-piano",
                                               "electric-grand-piano",
                                               "honky-tonk-piano",
                                               "electric-piano-1",
                                               "electric-piano-2",
                                               "harpsichord",
                                               "clavinet",
                                               "celesta",
                                               "glockenspiel",
                                               "music-box",
                                               "vibraphone",
                                               "marimba",
                                               "xylophone",
                                               "tubular-bells",
                                               "dulcimer",
                                               "drawbar-organ",
                                               "percussive-organ",
                                               "rock-organ",
                                               "church-organ",
                                               "reed-organ",
                                               "accordion",
                                               "harmonica",
                                               "tango-accordion",
                                               "acoustic-guitar-nylon",
                                               "acoustic-guitar-steel",
                                               "electric-guitar-jazz",
                                               "electric-guitar-clean",
                                               "electric-guitar-muted",
                                               "overdriven-guitar",
                                               "distortion-guitar",
                                               "guitar-harmonics",
                                               "acoustic-bass",
                                               "electric-bass-finger",
                                               "electric-bass-pick",
                                               "fretless-bass",
                                               "slap-bass-1",
                                               "slap-bass-2",
                                               "synth-bass-1",
                                               "synth-bass-2",
                                               "violin",
                                               "viola",
                                               "cello",
                                               "contrabass",
                                               "tremolo-strings",
                                               "pizzicato-strings",
                                               "orchestral-harp",
                                               "timpani",
                                               "string-ensemble-1",
                                               "string-ensemble-2",
                                               "synth-strings-1",
                                               "synth-strings-2",
                                               "choir-aahs",
                                               "voice-oohs",
                                               "synth-voice",
                                               "orchestra-hit",
                                               "trumpet",
                                               "trombone",
                                               "tuba",
                                               "muted-trumpet",
                                               "french-horn",
                                               "brass-section",
                                               "synth-brass-1",
                                               "synth-brass-2",
                                               "soprano-sax",
                                               "alto-sax",
                                               "tenor-sax",
                                               "baritone-sax",
                                               "oboe",
                                               "english-horn",
                                               "bassoon",
                                               "clarinet",
                                               "piccolo",
                                               "flute",
                                               "recorder",
                                               "pan-flute",
                                               "blown-bottle",
                                               "shakuhachi",
                                               "whistle",
                                               "ocarina",
                                               "lead-1-square",
                                               "lead-2-sawtooth",
                                               "lead-3-calliope",
                                               "lead-4-chiff",
                                               "lead-5-charang",
                                               "lead-6-voice",
                                               "lead-7-fifths",
                                               "lead-8-bass-lead",
                                               "pad-1-new-age",
                                               "pad-2-warm",
                                               "pad-3-polysynth",
                                               "pad-4-choir",
                                               "pad-5-bowed",
                                               "pad-6-metallic",
                                               "pad-7-halo",
                                               "pad-8-sweep",
                                               "fx-1-rain",
                                               "fx-2-soundtrack",
                                               "fx-3-crystal",
                                               "fx-4-atmosphere",
                                               "fx-5-brightness",
                                               "fx-6-goblins",
                                               "fx-7-echoes",
                                               "fx-8-sci-fi",
                                               "sitar",
                                               "banjo",
                                               "shamisen",
                                               "koto",
                                               "kalimba",
                                               "bagpipe",
                                               "fiddle",
                                               "shanai",
                                               "tinkle-bell",
                                               "agogo",
                                               "steel-drums",
                                               "woodblock",
                                               "taiko-drum",
                                               "melodic-tom",
                                               "synth-drum",
                                               "reverse-cymbal",
                                               "guitar-fret-noise",
                                               "breath-noise",
                                               "seashore",
                                               "bird-tweet",
                                               "telephone-ring",
                                               "helicopter",
                                               "applause",
                                               "gunshot"};

std::string Normalize(const std::string& text) {
  std::string out;
  for (const char c : text) {
    out += (c == ' ' || c == '_') ? '-'
                                  : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

// "fx-3-crystal" without "fx-3-"; empty for names without such a prefix.
std::string WithoutPrefix(const std::string& name) {
  for (const char* prefix : {"fx-", "pad-", "lead-"}) {
    const std::string p(prefix);
    if (name.rfind(p, 0) == 0 && name.size() > p.size() + 2 && name[p.size() + 1] == '-') {
      return name.substr(p.size() + 2);
    }
  }
  return {};
}

}  // namespace

const char* InstrumentName(int program) {
  return program >= 0 && program < kProgramCount ? kNames[program] : "";
}

int FindInstrument(const std::string& text) {
  if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || number < 1 || number > kProgramCount) return -1;
    return static_cast<int>(number - 1);
  }
  const std::string wanted = Normalize(text);
  if (wanted.empty()) return -1;
  for (int program = 0; program < kProgramCount; ++program) {
    const std::string name = kNames[program];
    if (wanted == name || wanted == WithoutPrefix(name)) return program;
  }
  return -1;
}

}  // namespace host
