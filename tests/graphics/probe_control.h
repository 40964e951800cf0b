// A control for tests that records every call the graphics core makes on it.
#pragma once

#include <string>
#include <vector>

#include "controls/control.h"

class ProbeControl : public IControl {
 public:
  ProbeControl(IEffectBase* owner, const IBounds& bounds, int parameterIndex = -1,
               std::vector<std::string>* journal = nullptr, std::string name = "")
      : IControl(owner, bounds, parameterIndex), journal_(journal), name_(std::move(name)) {}
  ~ProbeControl() override { Log("destroyed"); }

  void OnMouseDown(int x, int y, const IMouseModifiers& modifiers) override {
    Log("down " + Point(x, y));
    IControl::OnMouseDown(x, y, modifiers);
  }
  void OnMouseUp(int x, int y, const IMouseModifiers&) override { Log("up " + Point(x, y)); }
  void OnMouseDrag(int x, int y, int dx, int dy, const IMouseModifiers&) override {
    Log("drag " + Point(x, y) + " by " + Point(dx, dy));
  }
  void OnMouseDoubleClick(int x, int y, const IMouseModifiers& modifiers) override {
    Log("double " + Point(x, y));
    IControl::OnMouseDoubleClick(x, y, modifiers);
  }
  void OnMouseWheel(int x, int y, const IMouseModifiers& modifiers, int delta) override {
    Log("wheel " + Point(x, y) + " " + std::to_string(delta));
    IControl::OnMouseWheel(x, y, modifiers, delta);
  }
  void OnKeyDown(int x, int y, int key) override {
    Log("key " + Point(x, y) + " " + std::to_string(key));
  }
  bool Draw(IGraphicsCore&) override {
    ++draws;
    drawnValues.push_back(Value());
    Log("draw");
    return true;
  }
  void AllowDoubleClickAsClick() { SetDoubleClickIsClick(true); }

  int draws = 0;
  std::vector<double> drawnValues;

 private:
  static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  void Log(const std::string& what) {
    if (journal_) journal_->push_back(name_.empty() ? what : name_ + " " + what);
  }

  std::vector<std::string>* journal_;
  std::string name_;
};
