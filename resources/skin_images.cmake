# The skin images: resource id and file, in id order. The resource script numbers the same files.
set(TINTINNA_SKIN_IMAGES
  100 img/level_strip_vert.png
  101 img/knob_40.png
  102 img/toggle_17.png
  103 img/mcp_volthumb_horiz.png
  104 img/bg-2.png
  105 img/VU-meter_sm.png
  106 img/sq_button_10.png
  107 img/knob_strip_32.png
  108 img/mcp_volbg_vert.png
  109 img/mcp_volbg_horiz.png
  110 img/led_glow.png
  111 img/sq_button_plus_10.png
  112 img/sq_button_minus_10.png)
