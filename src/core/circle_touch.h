// The circle-touch input surface: the piano picture takes the keys and draws growing rings.
#pragma once

namespace muto {

class Form1;

class CircleTouch {
public:
    explicit CircleTouch(Form1& form) : f_(form) {}

    void pic_CircleTouch_KeyDown(int keyCode, int shift);
    void pic_CircleTouch_KeyUp(int keyCode, int shift);
    void chk_CircleTouch_Click();

private:
    Form1& f_;
};

}  // namespace muto
