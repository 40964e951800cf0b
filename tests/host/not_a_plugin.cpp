// A shared library that is not a VST 2 plug-in: it exports neither VSTPluginMain nor main.
extern "C" __attribute__((visibility("default"))) int NotAPluginAnswer() {
  return 42;
}
