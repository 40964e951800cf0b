// tintinna-lv2-turtle: writes the LV2 bundle's Turtle from the instrument's own parameter table.
// usage: tintinna-lv2-turtle BUNDLE_DIR LIBRARY_NAME
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "plug/lv2/plugin_adapter.h"

namespace {

constexpr char kPrefixes[] =
    "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

// The host's URID map, just enough to construct an instance.
struct Map {
  std::map<std::string, LV2_URID> ids;
  static LV2_URID Id(LV2_URID_Map_Handle handle, const char* uri) {
    auto& ids = static_cast<Map*>(handle)->ids;
    return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
  }
};

// A port value as the host will read it: the float the port carries, always with a point.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(value)));
  std::string number = text;
  if (number.find_first_of(".e") == std::string::npos) number += ".0";
  return number;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// A symbol hosts and presets may keep forever: the name's letters and digits, '_' for the rest.
std::string Symbol(const IParameter& parameter, int index, std::set<std::string>& used) {
  std::string symbol;
  for (const char* c = parameter.Name(); *c; ++c)
    symbol += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol[0])))
    symbol.assign("param_").append(std::to_string(index));
  if (!used.insert(symbol).second) symbol.append("_").append(std::to_string(index));
  used.insert(symbol);
  return symbol;
}

std::string ControlPort(const IParameter& parameter, int index, const std::string& symbol) {
  std::ostringstream port;
  const std::string name =
      parameter.Name()[0] ? parameter.Name() : "Parameter " + std::to_string(index);
  port << "[\n    a lv2:InputPort, lv2:ControlPort ;\n    lv2:index " << index
       << " ;\n    lv2:symbol " << Quoted(symbol) << " ;\n    lv2:name " << Quoted(name)
       << " ;\n    lv2:default " << Number(parameter.Value()) << " ;\n    lv2:minimum "
       << Number(parameter.Minimum()) << " ;\n    lv2:maximum " << Number(parameter.Maximum());
  switch (parameter.GetKind()) {
    case IParameter::kBool:
      port << " ;\n    lv2:portProperty lv2:toggled";
      break;
    case IParameter::kEnumerated:
      port << " ;\n    lv2:portProperty lv2:integer, lv2:enumeration";
      break;
    case IParameter::kInteger:
      port << " ;\n    lv2:portProperty lv2:integer";
      break;
    case IParameter::kUndefined:
      // Slots without a parameter of their own (the editor's buttons use some).
      port << " ;\n    lv2:portProperty lv2:integer, pprops:notOnGUI";
      break;
    case IParameter::kContinuous:
      break;
  }
  if (std::string(parameter.UnitLabel()) == "sec") port << " ;\n    units:unit units:s";
  // Every value with a text of its own, in the range.
  for (int v = static_cast<int>(std::ceil(parameter.Minimum()));
       v <= parameter.Maximum() && parameter.ValueTextCount() > 0; ++v) {
    const char* text = parameter.ValueText(v);
    if (text[0])
      port << " ;\n    lv2:scalePoint [ rdfs:label " << Quoted(text) << " ; rdf:value " << Number(v)
           << " ]";
  }
  port << "\n  ]";
  return port.str();
}

bool Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "tintinna-lv2-turtle: cannot write %s\n", path.c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tintinna-lv2-turtle BUNDLE_DIR LIBRARY_NAME\n");
    return 2;
  }
  const std::string bundle = argv[1];
  const std::string library = argv[2];
  Map map;
  LV2_URID_Map uridMap{&map, &Map::Id};
  const LV2_Feature mapFeature{LV2_URID__map, &uridMap};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  std::unique_ptr<ILv2Effect> plugin(CreateEffectInstance(features));
  if (!plugin) return 1;

  const std::string uri = std::string("<") + kLv2PluginUri + ">";
  const std::string uiUri = std::string("<") + kLv2UiUri + ">";
  std::ostringstream ttl;
  ttl << kPrefixes << uri << "\n  a lv2:Plugin, lv2:MIDIPlugin ;\n  doap:name "
      << Quoted(plugin->EffectName()) << " ;\n";
  const int32_t version = plugin->EffectVersion(false);
  ttl << "  lv2:minorVersion " << ((version >> 8) & 0xFF) << " ;\n  lv2:microVersion "
      << (version & 0xFF) << " ;\n"
      << "  lv2:requiredFeature urid:map ;\n"
      << "  lv2:optionalFeature lv2:hardRTCapable, opts:options, bufsz:boundedBlockLength ;\n"
      << "  opts:supportedOption bufsz:maxBlockLength, bufsz:nominalBlockLength ;\n"
      << "  lv2:extensionData state:interface ;\n  ui:ui " << uiUri << " ;\n  lv2:port ";

  std::set<std::string> used;
  std::vector<std::string> symbols;
  for (int i = 0; i < plugin->ParameterCount(); ++i) {
    symbols.push_back(Symbol(*plugin->GetParameter(i), i, used));
    ttl << ControlPort(*plugin->GetParameter(i), i, symbols.back()) << ", ";
  }
  const auto index = [&](ILv2Effect::AudioAndEventPort port) {
    return std::to_string(plugin->PortOf(port));
  };
  ttl << "[\n    a lv2:InputPort, lv2:AudioPort ;\n    lv2:index " << index(ILv2Effect::kAudioIn0)
      << " ;\n    lv2:symbol \"in_l\" ;\n    lv2:name \"In L\"\n  ], [\n"
      << "    a lv2:InputPort, lv2:AudioPort ;\n    lv2:index " << index(ILv2Effect::kAudioIn1)
      << " ;\n    lv2:symbol \"in_r\" ;\n    lv2:name \"In R\"\n  ], [\n"
      << "    a lv2:OutputPort, lv2:AudioPort ;\n    lv2:index " << index(ILv2Effect::kAudioOut0)
      << " ;\n    lv2:symbol \"out_l\" ;\n    lv2:name \"Out L\"\n  ], [\n"
      << "    a lv2:OutputPort, lv2:AudioPort ;\n    lv2:index " << index(ILv2Effect::kAudioOut1)
      << " ;\n    lv2:symbol \"out_r\" ;\n    lv2:name \"Out R\"\n  ], [\n"
      << "    a lv2:InputPort, atom:AtomPort ;\n    lv2:index " << index(ILv2Effect::kEventsIn)
      << " ;\n    lv2:symbol \"events_in\" ;\n    lv2:name \"MIDI In\" ;\n"
      << "    atom:bufferType atom:Sequence ;\n    atom:supports midi:MidiEvent, time:Position ;\n"
      << "    lv2:designation lv2:control\n  ], [\n"
      << "    a lv2:OutputPort, atom:AtomPort ;\n    lv2:index " << index(ILv2Effect::kMidiOut)
      << " ;\n    lv2:symbol \"midi_out\" ;\n    lv2:name \"MIDI Out\" ;\n"
      << "    atom:bufferType atom:Sequence ;\n    atom:supports midi:MidiEvent\n  ] .\n\n";

  // The editor, in the same library: it reaches the plug-in object itself.
  ttl << uiUri << "\n  a ui:X11UI ;\n  lv2:binary <" << library << "> ;\n"
      << "  lv2:requiredFeature ui:parent, <http://lv2plug.in/ns/ext/instance-access> ;\n"
      << "  lv2:optionalFeature ui:idleInterface, ui:noUserResize, ui:touch, ui:resize ;\n"
      << "  lv2:extensionData ui:idleInterface .\n";

  std::ostringstream manifest;
  manifest << kPrefixes << uri << "\n  a lv2:Plugin ;\n  lv2:binary <" << library
           << "> ;\n  rdfs:seeAlso <tintinna.ttl> .\n\n"
           << uiUri << "\n  a ui:X11UI ;\n  lv2:binary <" << library
           << "> ;\n  rdfs:seeAlso <tintinna.ttl> .\n";

  // The program slots a VST 2 host steps through, each with the values it takes on there.
  std::ostringstream presets;
  presets << kPrefixes;
  for (int p = 0; p < plugin->PresetCount(); ++p) {
    if (!plugin->ApplyPreset(p)) continue;
    char number[16];
    std::snprintf(number, sizeof number, "%02d", p + 1);
    const std::string presetUri = std::string("<") + kLv2PluginUri + "#preset-" + number + ">";
    manifest << "\n"
             << presetUri << "\n  a pset:Preset ;\n  lv2:appliesTo " << uri
             << " ;\n  rdfs:seeAlso <presets.ttl> .\n";
    presets << presetUri << "\n  a pset:Preset ;\n  lv2:appliesTo " << uri << " ;\n  rdfs:label "
            << Quoted(plugin->GetPresetName(p));
    for (int i = 0; i < plugin->ParameterCount(); ++i)
      presets << " ;\n  lv2:port [ lv2:symbol " << Quoted(symbols[static_cast<size_t>(i)])
              << " ; pset:value " << Number(plugin->GetParameter(i)->Value()) << " ]";
    presets << " .\n\n";
  }
  return Write(bundle + "/tintinna.ttl", ttl.str()) &&
                 Write(bundle + "/manifest.ttl", manifest.str()) &&
                 Write(bundle + "/presets.ttl", presets.str())
             ? 0
             : 1;
}
