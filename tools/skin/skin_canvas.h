// A small anti-aliased painting surface for drawing the skin artwork.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A colour with straight alpha, each channel 0–1.
struct Paint {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  double a = 1.0;
};

Paint Mix(const Paint& from, const Paint& to, double t);
Paint Rgb(int red, int green, int blue, double alpha = 1.0);

// Pixels are kept premultiplied in doubles and composed with "over"; shapes are given as signed
// distance functions, so their edges are smoothed over one pixel.
class SkinCanvas {
 public:
  SkinCanvas(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Distance from a pixel centre to a shape's edge: negative inside.
  using Distance = std::function<double(double x, double y)>;
  // Colour of the shape at a pixel centre.
  using Shader = std::function<Paint(double x, double y)>;

  // Paints the pixels of [x0, x1) × [y0, y1) that the shape covers, clipped to the canvas.
  void Fill(int x0, int y0, int x1, int y1, const Distance& shape, const Shader& shader);
  void Fill(int x0, int y0, int x1, int y1, const Distance& shape, const Paint& paint);

  // The pixel words 0xAARRGGBB, straight alpha, row by row.
  std::vector<uint32_t> ToWords() const;
  // Copies another canvas in at an offset (used to stack frames into a strip).
  void Place(const SkinCanvas& frame, int x, int y);

 private:
  struct Premultiplied {
    double r = 0.0, g = 0.0, b = 0.0, a = 0.0;
  };
  int width_;
  int height_;
  std::vector<Premultiplied> pixels_;
};

// Signed distances of basic shapes.
double CircleDistance(double x, double y, double cx, double cy, double radius);
double RoundedBoxDistance(double x, double y, double x0, double y0, double x1, double y1,
                          double radius);
double SegmentDistance(double x, double y, double ax, double ay, double bx, double by,
                       double halfWidth);
