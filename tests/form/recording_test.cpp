// Recording, saving and opening performances, and key-set files, through the window's handlers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "form/key_display.h"
#include "form/key_input.h"
#include "form/key_map.h"
#include "form/key_set_files.h"
#include "form/performance_files.h"
#include "form/playback_panel.h"
#include "performance/player.h"
#include "performance/recorder.h"
#include "support/form_fixture.h"

namespace muto::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Strings = std::vector<std::string>;
constexpr int kShift = 16, kAlt = 18, kA = 65, kQ = 81, kW = 87, kBackspace = 8, kF8 = 119;

class RecordingTest : public FormTest {
protected:
    RecordingTest() {
        std::string pattern = (std::filesystem::temp_directory_path() / "muto-rec-XXXXXX").string();
        if (::mkdtemp(pattern.data())) dir = pattern;
    }
    ~RecordingTest() override { std::filesystem::remove_all(dir); }

    std::string file(const std::string& name) const { return dir + "/" + name; }
    static Bytes read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const std::string& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    // Starts a recording, answering the question with Yes.
    void startRecording() {
        dialogs.answers.push_back(MsgResult::Yes);
        form->cmd_record.click();
    }
    const Performance& perf() const { return form->recorder().performance(); }
    std::string dir;
};

TEST_F(RecordingTest, StartTakesTheSnapshotAndLocksTheSettings) {
    Form1& f = started();
    f.cmb_key.setListIndex(3);
    f.cmb_OctShift(1).setListIndex(1);
    f.chk_damper(1).setValue(1);
    tap(112 + 2);  // F3: a sharp on degree 2
    dialogs.answer = MsgResult::No;
    f.cmd_record.click();  // declined: nothing changes
    EXPECT_FALSE(f.recorder().isRecording());
    EXPECT_TRUE(f.cmd_open.enabled());
    startRecording();
    ASSERT_GE(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[1].text,
              "녹음을 시작하시겠습니까?\n녹음은 최초의 키눌림으로부터 시작합니다.");
    EXPECT_EQ(dialogs.boxes[1].title, "녹음 확인");
    EXPECT_TRUE(f.recorder().isRecording());
    EXPECT_EQ(f.form.caption(), "무토 - [녹음중]");
    EXPECT_EQ(f.cmd_record.caption(), "■");
    EXPECT_EQ(perf().snapshot.settings, (std::array<uint8_t, 7>{3, 0, 0, 2, 1, 0, 0}));
    EXPECT_EQ(perf().snapshot.damper, (std::array<uint8_t, 2>{0, 1}));
    EXPECT_EQ(perf().snapshot.keySig, (std::array<uint8_t, 8>{1, 0, 0, 1, 0, 0, 0, 0}));
    for (Control* c :
         std::initializer_list<Control*>{&f.cmd_open, &f.cmd_play, &f.cmb_key, &f.cmb_inst(1),
                                         &f.chk_KeysetMode, &f.cmd_KeySetDefault, &f.cmb_RecMax})
        EXPECT_FALSE(c->enabled()) << c->name();
    EXPECT_TRUE(f.chk_damper(0).enabled());
    EXPECT_TRUE(f.vbar_Effect(1).enabled());
}

TEST_F(RecordingTest, FiveHundredKeysStoreOneThousandAndOneEvents) {
    Form1& f = started();
    f.cmb_RecMax.setListIndex(0);
    startRecording();
    for (int i = 0; i < 500; ++i)
        tap(kA);
    EXPECT_EQ(perf().eventCount(), 1000);
    EXPECT_TRUE(f.recorder().isRecording());
    down(kQ);
    EXPECT_EQ(perf().eventCount(), 1001);
    EXPECT_FALSE(f.recorder().isRecording());
    EXPECT_EQ(dialogs.boxes.back().text, "녹음 최대 길이를 초과하여 녹음을 중지합니다.");
    EXPECT_EQ(dialogs.requests.size(), 1u);    // the save offer, cancelled
    EXPECT_EQ(midi.hex().back(), "80 3C 00");  // Q released, its key-up not recorded
    EXPECT_EQ(f.playback().progressScale(), 1001);
    EXPECT_EQ(f.form.caption(), "무토");
    EXPECT_TRUE(f.cmd_open.enabled());
}

TEST_F(RecordingTest, WhatIsRecorded) {
    Form1& f = started();
    startRecording();
    down(kA);
    down(kA);  // auto-repeat: no event
    up(kA);
    tap(kF8);  // shortcut keys are recorded too
    tap(kShift, 1);
    down(kAlt, 4);
    down('S', 4);  // stops the recording before the S could be stored
    EXPECT_FALSE(f.recorder().isRecording());
    Strings events;
    for (int i = 0; i < perf().eventCount(); ++i)
        events.push_back(std::to_string(perf().events[static_cast<size_t>(i)].keyCode) +
                         (perf().events[static_cast<size_t>(i)].isDown ? "v" : "^"));
    EXPECT_EQ(events, (Strings{"65v", "65^", "119v", "119^", "16v", "16^", "18v"}));
}

TEST_F(RecordingTest, KeysPressedBeforeTheRecordingAreNotPartOfIt) {
    // Alt+R, answered with Return: the releases of all three reach the recording first.
    Form1& f = started();
    down(kAlt, 4);
    dialogs.answers.push_back(MsgResult::Yes);
    down('R', 4);
    EXPECT_TRUE(f.recorder().isRecording());
    time.advanceMs(2500);
    up(13);
    up('R', 4);
    up(kAlt);
    time.advanceMs(1000);
    tap(kQ);
    ASSERT_EQ(perf().eventCount(), 2);
    EXPECT_EQ(perf().events[0].keyCode, kQ);
    EXPECT_EQ(perf().events[1].keyCode, kQ);
}

TEST_F(RecordingTest, StopWithoutEventsAsksNothing) {
    Form1& f = started();
    startRecording();
    f.cmd_record.click();
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.requests.empty());
    EXPECT_EQ(perf().eventCount(), 0);
}

TEST_F(RecordingTest, TimeStampsKeepTheirMillisecondsFarFromTheClocksOrigin) {
    started();
    startRecording();
    for (int i = 0; i < 10; ++i) {
        time.advanceMs(1);
        tap(kA);
    }
    for (int i = 1; i < 19; i += 2)
        EXPECT_NEAR(perf().events[static_cast<size_t>(i + 1)].time -
                        perf().events[static_cast<size_t>(i)].time,
                    0.001, 1e-5);
}

TEST_F(RecordingTest, StopOffersTheSaveAndAsksBeforeOverwriting) {
    Form1& f = started();
    const std::string taken = file("taken.vsp");
    write(taken, {1, 2, 3});
    startRecording();
    tap(kQ);
    dialogs.files = {taken, taken};
    dialogs.answers = {MsgResult::No, MsgResult::Yes};
    f.cmd_record.click();
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[0].title, "연주 저장");
    EXPECT_EQ(dialogs.requests[0].filter, "*.vsp|*.vsp|*.mid|*.mid");
    EXPECT_EQ(dialogs.requests[0].initDir, "/opt/muto");
    EXPECT_EQ(dialogs.requests[1].initDir, taken);  // No: the dialog again, at the chosen name
    EXPECT_EQ(dialogs.boxes[1].text, "같은 파일이 존재합니다.덮어 쓸까요?");
    EXPECT_EQ(dialogs.boxes[1].title, "저장 확인");
    EXPECT_EQ(perf().path, taken);
    const Bytes saved = read(taken);
    ASSERT_EQ(saved.size(), 23u + 12u);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 5), (Bytes{'V', 'e', 's', 'k', 4}));
    EXPECT_EQ(saved[23], kQ);
}

TEST_F(RecordingTest, AFailedSaveSaysSoAndKeepsTheOldFileAndThePerformance) {
    Form1& f = started();
    startRecording();
    tap(kQ);
    dialogs.chosenFile = file("no-such-folder/take.vsp");
    f.cmd_record.click();
    EXPECT_EQ(dialogs.boxes.back().title, "저장 실패");
    EXPECT_NE(dialogs.boxes.back().text.find("no-such-folder/take.vsp"), std::string::npos);
    EXPECT_EQ(perf().eventCount(), 2);
}

TEST_F(RecordingTest, OpenReadsAPerformanceAndResetsThePositions) {
    Form1& f = started();
    const std::string path = file("two.vsp");
    write(path, {0x56, 0x65, 0x73, 0x6B, 0x04, 0x00, 0x00, 0x00, 0x02, 0x02, 0x05, 0x05,
                 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x51,
                 0x01, 0x00, 0x00, 0x61, 0x45, 0x51, 0x00, 0x00, 0x08, 0x61, 0x45});
    f.cmd_SavePlayPos(1).setTag("7");
    dialogs.chosenFile = path;
    f.cmd_open.click();
    EXPECT_EQ(dialogs.requests.back().title, "연주 파일 열기");
    EXPECT_EQ(perf().eventCount(), 2);
    EXPECT_EQ(perf().version, 4);
    EXPECT_EQ(perf().path, path);
    EXPECT_EQ(perf().snapshot.settings, (std::array<uint8_t, 7>{0, 0, 0, 2, 2, 5, 5}));
    EXPECT_FLOAT_EQ(perf().events[1].time - perf().events[0].time, 0.5f);
    EXPECT_EQ(f.form.caption(), "무토 - two.vsp");
    EXPECT_EQ(f.shp_StartPos.tag(), "0");
    EXPECT_EQ(f.cmd_SavePlayPos(1).tag(), "0");
    EXPECT_EQ(f.playback().progressScale(), 2);
    // Saved again, it is the same file byte for byte.
    f.performanceFiles().writePerformanceFile(file("again.vsp"));
    EXPECT_EQ(read(file("again.vsp")), read(path));
}

TEST_F(RecordingTest, WithAWorkerSavesAreWrittenThereInTurnAndFailuresReportedWhenKnown) {
    ManualWorker worker;
    Services services = fakes.services();
    services.worker = &worker;
    form = std::make_unique<Form1>(services);
    ASSERT_TRUE(form->load());
    form->show();
    Form1& f = *form;
    startRecording();
    tap(kQ);
    dialogs.chosenFile = file("no-such-folder/take.vsp");
    f.cmd_record.click();
    const size_t boxes = dialogs.boxes.size();
    dialogs.chosenFile = file("take.vsp");
    f.cmd_save.click();
    ASSERT_EQ(worker.queue.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(file("take.vsp")));
    worker.runAll();
    ASSERT_EQ(dialogs.boxes.size(), boxes + 1);
    EXPECT_EQ(dialogs.boxes.back().title, "저장 실패");
    EXPECT_NE(dialogs.boxes.back().text.find("no-such-folder/take.vsp"), std::string::npos);
    EXPECT_EQ(read(file("take.vsp")).size(), 23u + 12u);
    // The end waits for a write still running and reports it, once.
    dialogs.chosenFile = file("no-such-folder/again.vsp");
    f.cmd_save.click();
    ASSERT_EQ(worker.queue.size(), 1u);
    auto [job, done] = std::move(worker.queue.front());
    std::thread running(job);
    f.shutDown();
    running.join();
    ASSERT_EQ(dialogs.boxes.size(), boxes + 2);
    EXPECT_NE(dialogs.boxes.back().text.find("again.vsp"), std::string::npos);
    done();
    EXPECT_EQ(dialogs.boxes.size(), boxes + 2);
}

TEST_F(RecordingTest, OpenRefusesWhatIsNoPerformance) {
    Form1& f = started();
    const std::string good = file("good.vsp");
    write(good, {'V', 'e', 's', 'k', 4, 0, 0, 0, 2,  2, 0, 0, 0, 0, 0,
                 1,   0,   0,   0,   0, 0, 0, 0, 81, 1, 0, 0, 0, 0});
    dialogs.chosenFile = good;
    f.cmd_open.click();
    ASSERT_EQ(perf().eventCount(), 1);
    for (Bytes bad :
         {Bytes{'v', 'e', 's', 'k', 4, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0},
          Bytes{'V', 'e', 's', 'k', 4, 0, 0, 0, 2, 2, 0, 0, 0, 0, 9, 1, 2}, Bytes{'V', 'e', 's'}}) {
        write(file("bad.vsp"), bad);
        dialogs.chosenFile = file("bad.vsp");
        f.cmd_open.click();
        EXPECT_EQ(dialogs.boxes.back().text,
                  "무토 연주 파일이 아니거나 호환이 되는 파일이 아닙니다.");
        EXPECT_EQ(dialogs.boxes.back().title, "열기 실패");
        EXPECT_EQ(perf().eventCount(), 0);
        EXPECT_EQ(perf().path, good);  // the file name and snapshot stay
    }
}

TEST_F(RecordingTest, KeySetsSaveAndLoad) {
    Form1& f = started();
    const std::string path = file("set.vns");
    dialogs.chosenFile = path;
    f.cmd_KeysetSave.click();
    EXPECT_EQ(dialogs.requests.back().title, "키설정 저장");
    EXPECT_EQ(read(path), (Bytes{0, 2, 2}));
    f.chk_KeysetMode.setValue(1);
    down(32);
    tap(kQ);  // Q: 60 → 61
    up(32);
    f.chk_KeysetMode.setValue(0);
    f.cmd_KeysetSave.click();
    EXPECT_EQ(read(path), (Bytes{0, 2, 2, 0x51, 0x3D, 0x73}));

    // Loaded onto another key signature with W lowered: reset first, then the file's key set.
    f.cmd_KeySetDefault.click();
    f.cmb_key.setListIndex(4);
    f.chk_KeysetMode.setValue(1);
    down(17);
    tap(kW);
    up(17);
    f.chk_KeysetMode.setValue(0);
    f.cmd_KeysetOpen.click();
    EXPECT_EQ(dialogs.requests.back().title, "키설정 열기");
    EXPECT_EQ(f.cmb_key.listIndex(), 0);
    EXPECT_EQ(f.instrument().keyNote[kQ], 61);
    EXPECT_EQ(f.instrument().keyAlter[kQ], 1);
    EXPECT_EQ(f.lbl_KeyCaption(kQ).tag(), "s");
    EXPECT_EQ(f.lbl_KeyCaption(kQ).caption(), f.display().noteCaption(61, true));
    EXPECT_EQ(f.lbl_KeyCaption(kW).tag(), "");
    EXPECT_EQ(f.instrument().keyAlter[kW], 0);
    midi.take();
    tap(kQ);
    EXPECT_EQ(midi.take(), (Strings{"90 3D 7F", "80 3D 00"}));
}

TEST_F(RecordingTest, KeySetFilesThatDoNotFitAreReadAsFarAsTheyGo) {
    Form1& f = started();
    f.cmb_key.setListIndex(2);
    const std::string path = file("odd.vns");
    dialogs.chosenFile = path;
    write(path, {0, 2});  // shorter than the three indices: nothing changes
    f.cmd_KeysetOpen.click();
    EXPECT_EQ(f.cmb_key.listIndex(), 2);
    // A key signature the list does not have is skipped, the octaves still apply; a key without
    // a caption label and a note past MIDI's 127 are skipped, the next entry still applies; a
    // trailing byte is ignored.
    write(path, {99, 1, 3, 200, 50, 's', kW, 200, 's', kQ, 62, 'f', 7});
    f.cmd_KeysetOpen.click();
    EXPECT_EQ(f.cmb_key.listIndex(), 2);
    EXPECT_EQ(f.cmb_OctShift(0).listIndex(), 1);
    EXPECT_EQ(f.cmb_OctShift(1).listIndex(), 3);
    EXPECT_FALSE(f.lbl_KeyCaption.exists(200));
    EXPECT_EQ(f.instrument().keyNote[kQ], 62);
    EXPECT_EQ(f.lbl_KeyCaption(kQ).tag(), "f");
    EXPECT_LE(f.instrument().keyNote[kW], 127);
    EXPECT_EQ(f.lbl_KeyCaption(kW).tag(), "");
}

TEST_F(RecordingTest, ResetReturnsARaisedBackspaceToNoNote) {
    Form1& f = started();
    f.chk_KeysetMode.setValue(1);
    down(32);
    tap(kBackspace);
    up(32);
    f.chk_KeysetMode.setValue(0);
    ASSERT_EQ(f.instrument().keyNote[kBackspace], 1);
    f.cmd_KeySetDefault.click();
    EXPECT_EQ(f.instrument().keyNote[kBackspace], 0);
    EXPECT_EQ(f.lbl_KeyCaption(kBackspace).caption(), "");
    midi.take();
    tap(kBackspace);  // no note: nothing sounds, nothing lights
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_FALSE(f.lbl_note(0).visible());
}

}  // namespace
}  // namespace muto::test
