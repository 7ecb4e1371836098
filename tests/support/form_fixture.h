// A test fixture holding a main window on fake services.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "form/form1.h"
#include "form/playback_panel.h"
#include "form/record_panel.h"
#include "support/fake_services.h"

namespace muto::test {

class FormTest : public ::testing::Test {
protected:
    Form1& make() {
        form = std::make_unique<Form1>(fakes.services());
        return *form;
    }
    // A started, shown window with the start-up messages cleared.
    Form1& started() {
        make();
        EXPECT_TRUE(form->load());
        form->show();
        midi.sent.clear();
        return *form;
    }
    void down(int vk, int shift = 0) { form->keyDown(vk, shift); }
    void up(int vk, int shift = 0) { form->keyUp(vk, shift); }
    void tap(int vk, int shift = 0) {
        down(vk, shift);
        up(vk, shift);
    }
    // Raises a key a semitone in the key-set editing mode (Space held), which is then left.
    void raiseKey(int vk) {
        form->chk_KeysetMode.setValue(1);
        down(32);
        tap(vk);
        up(32);
        form->chk_KeysetMode.setValue(0);
    }
    // Starts a playback that changes no setting and whose first event lies ahead.
    void startPlaying() {
        Performance p;
        p.snapshot = form->recording().takeSnapshot();
        p.events = {{81, 1, 0}, {81, 0, 100}};
        form->recorder().setPerformance(std::move(p));
        form->playback().cmd_play_Click();
        ASSERT_TRUE(form->player().isPlaying());
    }

    FakeServices fakes;
    FakeMidi& midi = fakes.midi;
    FakeDialogs& dialogs = fakes.dialogs;
    FakeTimers& time = fakes.time;
    FakeLeds& leds = fakes.leds;
    FakePictures& pictures = fakes.pictures;
    std::unique_ptr<Form1> form;
};

}  // namespace muto::test
