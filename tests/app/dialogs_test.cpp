// The panels and dialogs on an in-memory window system: what the user's clicks on the
// command buttons, the lists and OK or Cancel do to the dialogs, the panels and the session.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/load_model_dialog.h"
#include "app/message_line.h"
#include "app/messages.h"
#include "app/panels.h"
#include "app/placement_dialogs.h"
#include "app/plane_dialog.h"
#include "app/save_model_dialog.h"
#include "app/session.h"
#include "app/shell.h"
#include "app/visualisation_dialogs.h"
#include "model/read_report.h"
#include "glui/glui.h"
#include "tests/glui/fake_platform.h"
#include "viz/field_lines.h"

namespace kelvaro {
namespace {

namespace fs = std::filesystem;

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        directory_ = fs::temp_directory_path() / ("kelvaro-dialogs-" + std::to_string(getpid()));
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        fs::current_path(directory_);

        programSession = &session_;
        GLUI_Master.set_platform(&platform_);
        mainWindow = platform_.make_main_window(mainWindowWidth, mainWindowHeight);
        buildCommandPanel(mainWindow);
        buildMessageLine(mainWindow);
        buildViewPanel(mainWindow);
        setMessageListener(showLatestMessage);
    }

    void TearDown() override {
        cleanupAtExit();
        // Closed windows are destroyed at their next display.
        while (!GLUI_Master.windows().empty()) GLUI_Master.prepare_display(GLUI_Master.windows().front()->window_id);
        commandPanel = viewPanel = messageLine = nullptr;
        GLUI_Master.set_platform(nullptr);
        fs::current_path(previous_);
        fs::remove_all(directory_);
    }

    void makeDialogs() {
        loadModelDialog = std::make_unique<LoadModelDialog>("Load Model File", loadModelAction);
        fieldLinesDialog = std::make_unique<FieldLinesDialog>("Add Field Lines to Charge", addFieldLinesAction);
        hedgehogDialog = std::make_unique<HedgehogDialog>("Add Hedgehog Lines", addHedgehogAction);
        potentialSurfaceDialog =
            std::make_unique<PotentialSurfaceDialog>("Add Equipotential Surface", addPotentialAction);
    }

    static void write(const std::string& name, const std::string& text) { std::ofstream(name) << text; }

    static bool panelsEnabled() {
        bool all = true;
        for (const GLUI* panel : {commandPanel, viewPanel}) {
            panel->for_each_control([&](const GLUI_Control* control) { all = all && control->enabled; });
        }
        return all;
    }

    static bool panelsDisabled() {
        bool none = true;
        for (const GLUI* panel : {commandPanel, viewPanel}) {
            panel->for_each_control([&](const GLUI_Control* control) {
                if (!control->is_container()) none = none && !control->enabled;
            });
        }
        return none;
    }

    bool shown(const Dialog& dialog) { return platform_.windows.at(dialog.window()->get_glut_window_id()).shown; }

    FakePlatform platform_;
    Session session_;

private:
    fs::path previous_;
    fs::path directory_;
};

// The controls of a panel that take part in its layout, columns included, in order.
std::vector<GLUI_Control*> controlsOf(const GLUI* panel) {
    std::vector<GLUI_Control*> controls;
    panel->for_each_control([&](GLUI_Control* control) {
        if (control != panel->root()) controls.push_back(control);
    });
    return controls;
}

TEST_F(DialogsTest, TheCommandPanelHoldsItsButtonsInOrder) {
    const struct {
        const char* label;
        int id;
    } buttons[] = {{"Load Model...           ", 1000},
                   {"Add Field Lines...      ", 1001},
                   {"Add Hedgehog Lines...   ", 1002},
                   {"Add Potential Surface...", 1003},
                   {"Quit", 0}};
    EXPECT_EQ(commandPanel->flags, GLUI_SUBWINDOW_RIGHT);
    EXPECT_EQ(commandPanel->parent_window, mainWindow);
    EXPECT_EQ(commandPanel->main_gfx_window, mainWindow);
    const std::vector<GLUI_Control*> controls = controlsOf(commandPanel);
    // The five buttons first, then the Explore panel with its eight.
    ASSERT_EQ(controls.size(), std::size(buttons) + 9);
    for (size_t i = 0; i < std::size(buttons); ++i) {
        SCOPED_TRACE(buttons[i].label);
        ASSERT_NE(dynamic_cast<GLUI_Button*>(controls[i]), nullptr);
        EXPECT_EQ(controls[i]->name.str(), buttons[i].label);
        EXPECT_EQ(controls[i]->user_id, buttons[i].id);
        ASSERT_NE(controls[i]->callback, nullptr);
        EXPECT_EQ(controls[i]->callback == commandButtonPressed, buttons[i].id != 0);
    }
    ASSERT_NE(dynamic_cast<GLUI_Panel*>(controls[5]), nullptr);
    EXPECT_EQ(controls[5]->name.str(), "Explore");
    const char* const exploreLabels[] = {"Edit Charges...", "Visualisations...",    "Save Model As...", "Probe",
                                         "Probe...",        "Add Gauss Surface...", "Add Plane...",     "Charge labels"};
    ASSERT_NE(dynamic_cast<GLUI_Checkbox*>(controls[9]), nullptr) << "Probe is a check box";
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(controls[6 + i]->name.str(), exploreLabels[i]);
        EXPECT_EQ(controls[6 + i]->parent_panel, controls[5]);
    }
    auto* labels = dynamic_cast<GLUI_Checkbox*>(controls[13]);
    ASSERT_NE(labels, nullptr);
    EXPECT_EQ(labels->live, &chargeLabels);
    EXPECT_EQ(commandPanel->win_w, 174) << "the scene keeps its width";
}

TEST_F(DialogsTest, TheViewPanelHoldsTheCameraControlsEachInAColumn) {
    constexpr int rotation = -1;
    const struct {
        const char* label;
        int type;  // a translation type, or rotation
        float* live;
        float speedOrSpin;
    } cameraControls[] = {{"Spin", rotation, viewRotation, 1.0f},
                          {"Pan", GLUI_TRANSLATION_XY, viewPan, 0.005f},
                          {"Dolly", GLUI_TRANSLATION_Z, &viewDolly, 0.02f},
                          {"Zoom", GLUI_TRANSLATION_Z, &viewZoom, 0.05f},
                          {"Near", GLUI_TRANSLATION_Z, &viewNear, 0.05f},
                          {"Far", GLUI_TRANSLATION_Z, &viewFar, 0.05f}};
    EXPECT_EQ(viewPanel->flags, GLUI_SUBWINDOW_BOTTOM);
    EXPECT_EQ(viewPanel->parent_window, mainWindow);
    EXPECT_EQ(viewPanel->main_gfx_window, mainWindow);
    const std::vector<GLUI_Control*> controls = controlsOf(viewPanel);
    ASSERT_EQ(controls.size(), 2 * std::size(cameraControls) + 3);
    auto* teaching = dynamic_cast<GLUI_Checkbox*>(controls[controls.size() - 3]);
    ASSERT_NE(teaching, nullptr) << "the teaching style's check box after the camera controls";
    EXPECT_EQ(teaching->name.str(), "Teaching style");
    EXPECT_EQ(teaching->live, &teachingStyle);
    EXPECT_EQ(controls[controls.size() - 2]->name.str(), "Reset View");
    EXPECT_EQ(controls.back()->name.str(), "Fit");
    EXPECT_EQ(controls.back()->x_abs, controls[controls.size() - 2]->x_abs) << "below Reset View";
    EXPECT_EQ(viewPanel->win_h, 80) << "the scene keeps its height";
    for (size_t i = 0; i < std::size(cameraControls); ++i) {
        const auto& expected = cameraControls[i];
        SCOPED_TRACE(expected.label);
        GLUI_Control* control = controls[2 * i];
        EXPECT_EQ(control->name.str(), expected.label);
        EXPECT_EQ(control->user_id, -1);
        EXPECT_EQ(control->callback, nullptr);
        if (expected.type == rotation) {
            auto* ball = dynamic_cast<GLUI_Rotation*>(control);
            ASSERT_NE(ball, nullptr);
            EXPECT_EQ(ball->live, expected.live);
            EXPECT_EQ(ball->spin_factor, expected.speedOrSpin);
        } else {
            auto* translation = dynamic_cast<GLUI_Translation*>(control);
            ASSERT_NE(translation, nullptr);
            EXPECT_EQ(translation->trans_type, expected.type);
            EXPECT_EQ(translation->live, expected.live);
            EXPECT_EQ(translation->speed, expected.speedOrSpin);
        }
        auto* column = dynamic_cast<GLUI_Column*>(controls[2 * i + 1]);
        ASSERT_NE(column, nullptr);
        EXPECT_FALSE(column->draw_bar);
    }
}

// The message line lies below the view panel, which stays where it was: the scene keeps
// the area it has in the first version's 800 x 600 window, and so does every picture.
TEST_F(DialogsTest, TheMessageLineLiesBelowTheViewPanelAndTheSceneKeepsItsArea) {
    EXPECT_EQ(viewPanel->win_y, 520);
    EXPECT_EQ(messageLine->win_y, 600);
    EXPECT_EQ(messageLine->win_h, messageLineHeight);
    EXPECT_EQ(messageLine->win_w, mainWindowWidth);
    int x = 0, y = 0, width = 0, height = 0;
    platform_.current = mainWindow;
    GLUI_Master.get_viewport_area(&x, &y, &width, &height);
    EXPECT_EQ(width, 626);
    EXPECT_EQ(height, 520);
    EXPECT_EQ(y, 80 + messageLineHeight) << "OpenGL's y: the scene area ends at the window's top";
}

// The line shows the latest message whole, wrapped into its rows, and says when there is
// more than it shows.
TEST_F(DialogsTest, TheMessageLineShowsTheLatestMessageWrapped) {
    std::vector<std::string> rows;
    const auto shownRows = [&] {
        rows.clear();
        messageLine->for_each_control([&](GLUI_Control* control) {
            if (dynamic_cast<GLUI_StaticText*>(control)) rows.push_back(control->name.str());
        });
        return rows;
    };
    say("dipole.txt: 2 charges loaded.\n", Echo::WindowOnly);
    EXPECT_EQ(shownRows(), (std::vector<std::string>{"dipole.txt: 2 charges loaded.", "", ""}));
    const std::string warning =
        "dipole.txt:3: POINT needs a number (with no + before it), then AT and three numbers separated by commas; "
        "the line was skipped: POINT +1 AT 0, 0, 0";
    ::testing::internal::CaptureStdout();
    say("dipole.txt: 1 line was skipped; 2 charges loaded.\n" + warning + "\n");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "dipole.txt: 1 line was skipped; 2 charges loaded.\n" + warning + "\n");
    shownRows();
    EXPECT_EQ(rows[0], "dipole.txt: 1 line was skipped; 2 charges loaded.");
    EXPECT_EQ(rows[1] + " " + rows[2], warning);
    say(warning + "\n" + warning + "\n", Echo::WindowOnly);
    EXPECT_EQ(shownRows()[0] + " " + rows[1], warning);
    EXPECT_EQ(rows[2].substr(rows[2].size() - 4), " ...") << "a third row that cannot hold the rest says so";
}

TEST_F(DialogsTest, DialogsStartHiddenWithTheirDefaults) {
    makeDialogs();
    for (const Dialog* dialog : std::initializer_list<const Dialog*>{
             loadModelDialog.get(), fieldLinesDialog.get(), hedgehogDialog.get(), potentialSurfaceDialog.get()}) {
        EXPECT_FALSE(shown(*dialog));
    }
    EXPECT_EQ(platform_.windows.at(fieldLinesDialog->window()->get_glut_window_id()).title, "Add Field Lines to Charge");
    EXPECT_EQ(fieldLinesDialog->linesField()->get_int_val(), 10);
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_count(), 0);
    EXPECT_EQ(hedgehogDialog->countField()->get_int_val(), 1);
    EXPECT_EQ(potentialSurfaceDialog->potentialField()->get_float_val(), 0.0f);
    EXPECT_EQ(potentialSurfaceDialog->directionList()->item_texts(), (std::vector<std::string>{"Leave", "Enter"}));
    EXPECT_EQ(potentialSurfaceDialog->directionList()->get_int_val(), 0);
    EXPECT_EQ(activeDialog, nullptr);
}

TEST_F(DialogsTest, NumericFieldsClampToTheirLimits) {
    makeDialogs();
    GLUI_EditText* lines = fieldLinesDialog->linesField();
    lines->set_int_val(0);
    EXPECT_EQ(lines->get_int_val(), 1);
    lines->set_int_val(500);
    EXPECT_EQ(lines->get_int_val(), 100);
    hedgehogDialog->countField()->set_int_val(200000);
    EXPECT_EQ(hedgehogDialog->countField()->get_int_val(), 100000);
    potentialSurfaceDialog->potentialField()->set_float_val(-25.0f);
    EXPECT_EQ(potentialSurfaceDialog->potentialField()->get_float_val(), -10.0f);
}

TEST_F(DialogsTest, ACommandButtonDisablesThePanelsUntilCancel) {
    makeDialogs();
    EXPECT_TRUE(panelsEnabled());
    commandButtonPressed(AddFieldLinesCommand);
    EXPECT_TRUE(panelsDisabled());
    EXPECT_EQ(activeDialog, fieldLinesDialog.get());
    EXPECT_TRUE(shown(*fieldLinesDialog));
    EXPECT_FALSE(hedgehogDialog->show());
    EXPECT_FALSE(shown(*hedgehogDialog));

    dialogButtonControl(FieldLinesDialog::CancelId);
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_FALSE(shown(*fieldLinesDialog));
    EXPECT_TRUE(panelsEnabled());
    EXPECT_FALSE(session_.scene());
}

// The X server may still deliver a click to a dialog the program has hidden, or to one it
// has not shown yet: such a click reaches no dialog.
TEST_F(DialogsTest, ButtonsOfADialogThatIsNotShownDoNothing) {
    makeDialogs();
    write("a.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n");
    dialogButtonControl(HedgehogDialog::OkId);  // no dialog shown
    fileDialogControl(LoadModelDialog::OkId);
    fileDialogControl(LoadModelDialog::FileListId);
    EXPECT_EQ(activeDialog, nullptr);

    commandButtonPressed(LoadModelCommand);
    loadModelDialog->nameField()->set_text("a.txt");
    dialogButtonControl(PotentialSurfaceDialog::OkId);  // a hidden dialog's OK
    dialogButtonControl(FieldLinesDialog::CancelId);
    EXPECT_EQ(activeDialog, loadModelDialog.get());
    EXPECT_TRUE(shown(*loadModelDialog));
    EXPECT_FALSE(session_.model());

    fileDialogControl(LoadModelDialog::OkId);
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_TRUE(session_.model());
}

TEST_F(DialogsTest, TheFileListOffersTheModelFilesFoundAtStart) {
    write("b.txt", "");
    write("a.txt", "");
    write(".hidden.txt", "");
    write("notes.md", "");
    makeDialogs();
    EXPECT_EQ(loadModelDialog->fillFileList("*.txt"), 3);
    EXPECT_EQ(loadModelDialog->fileList()->item_texts(),
              (std::vector<std::string>{"Click to see files", "a.txt", "b.txt"}));
    EXPECT_EQ(loadModelDialog->fileList()->get_item_ptr(2)->text.str(), "b.txt");
}

TEST_F(DialogsTest, AnEmptyDirectoryOffersOnlyThePrompt) {
    makeDialogs();
    EXPECT_EQ(loadModelDialog->fillFileList(nullptr), 1);
    EXPECT_EQ(loadModelDialog->fileList()->item_texts(), (std::vector<std::string>{"Click to see files"}));
}

TEST_F(DialogsTest, ChoosingAFileFillsTheNameFieldAndOkLoadsIt) {
    write("dipole.txt",
          "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    makeDialogs();
    loadModelDialog->fillFileList("*.txt");
    commandButtonPressed(LoadModelCommand);
    GLUI_EditText* name = loadModelDialog->nameField();
    name->set_text("typed.txt");

    loadModelDialog->fileList()->set_int_val(0);
    fileDialogControl(LoadModelDialog::FileListId);
    EXPECT_STREQ(name->get_text(), "typed.txt");

    loadModelDialog->fileList()->set_int_val(1);
    fileDialogControl(LoadModelDialog::FileListId);
    EXPECT_STREQ(name->get_text(), "dipole.txt");

    fileDialogControl(LoadModelDialog::OkId);
    ASSERT_TRUE(session_.model());
    EXPECT_EQ(session_.scene()->count(), 2);
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_texts(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_TRUE(panelsEnabled());
}

TEST_F(DialogsTest, AFailedLoadStillClosesTheDialog) {
    makeDialogs();
    commandButtonPressed(LoadModelCommand);
    loadModelDialog->nameField()->set_text("missing.txt");
    ::testing::internal::CaptureStdout();
    fileDialogControl(LoadModelDialog::OkId);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Could not open file missing.txt.\n");
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_TRUE(panelsEnabled());
}

// A file that cannot be read changes nothing the user sees but the message line.
TEST_F(DialogsTest, AFailedLoadKeepsTheChargeListAndSaysSo) {
    write("dipole.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    write("broken.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n\n");
    makeDialogs();
    loadModelFile("dipole.txt");
    EXPECT_EQ(latestMessage(), std::vector<std::string>{"dipole.txt: 2 charges loaded."});
    ::testing::internal::CaptureStdout();
    loadModelFile("broken.txt");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Failed to read in model correctly.\nbroken.txt:2: " + std::string(readErrorWords(37010)) + " (error 37010)\n");
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_texts(), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(session_.model()->chargeCount(), 2);
    EXPECT_EQ(latestMessage().front(), "broken.txt was not loaded, and the current model is kept:");
}

// A number that a field's limits changed is told with the value used instead, once.
TEST_F(DialogsTest, AValueBeyondAFieldsLimitsIsToldWithTheValueUsed) {
    write("dipole.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\n");
    makeDialogs();
    loadModelFile("dipole.txt");
    const auto okWith = [&](GLUI_EditText* field, const char* typed, int okId) {
        field->set_text(typed);
        field->commit();  // as when the user leaves the field or presses Return
        dialogButtonControl(okId);
    };
    commandButtonPressed(AddHedgehogCommand);
    okWith(hedgehogDialog->countField(), "200000", HedgehogDialog::OkId);
    EXPECT_EQ(latestMessage(), std::vector<std::string>{
                                   "Number of lines: 200000 is outside 1 to 100000; 100000 was used instead."});
    commandButtonPressed(AddPotentialSurfaceCommand);
    okWith(potentialSurfaceDialog->potentialField(), "-25", PotentialSurfaceDialog::OkId);
    EXPECT_EQ(latestMessage(), std::vector<std::string>{
                                   "Potential: -25 is outside -10.0 to 10.0; -10.0 was used instead."});
    const std::size_t said = linesSaid();
    commandButtonPressed(AddHedgehogCommand);
    dialogButtonControl(HedgehogDialog::OkId);  // the 100000 kept in the field is no news
    EXPECT_EQ(linesSaid(), said);
}

// Saved under a name without an extension, a model gets ".txt", keeps the comments at the
// head of the file it came from, and the load dialog lists it when it opens next.
TEST_F(DialogsTest, ASavedModelKeepsItsCommentsAndTheLoadDialogListsIt) {
    write("lecture.txt", "\\\\ Field of two charges, lecture 3\nBOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    makeDialogs();
    saveModelDialog = std::make_unique<SaveModelDialog>("Save Model As", saveModelAction);
    loadModelDialog->fillFileList("*.txt");
    loadModelFile("lecture.txt");
    commandButtonPressed(SaveModelCommand);
    saveModelDialog->nameField()->set_text("copy");
    ::testing::internal::CaptureStdout();
    saveDialogControl(SaveModelDialog::OkId);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Model saved as copy.txt.\n");
    std::string head;
    std::getline(std::ifstream("copy.txt"), head);
    EXPECT_EQ(head, "\\\\ Field of two charges, lecture 3");
    EXPECT_EQ(latestMessage().front(), "Saved in " + (fs::current_path() / "copy.txt").string());
    commandButtonPressed(LoadModelCommand);
    EXPECT_EQ(loadModelDialog->fileList()->item_texts(),
              (std::vector<std::string>{"Click to see files", "copy.txt", "lecture.txt"}));
    fileDialogControl(LoadModelDialog::CancelId);
}

TEST_F(DialogsTest, TheChargeListFollowsTheChargeCount) {
    makeDialogs();
    fieldLinesDialog->setChargeCount(5);
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_texts(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    fieldLinesDialog->setChargeCount(3);
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_texts(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(fieldLinesDialog->chargeList()->get_item_ptr(2)->text.str(), "3");
    EXPECT_EQ(fieldLinesDialog->chargeList()->get_item_ptr(3), nullptr);
    fieldLinesDialog->setChargeCount(5);
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_texts(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    fieldLinesDialog->setChargeCount(0);
    EXPECT_EQ(fieldLinesDialog->chargeList()->item_count(), 0);
    EXPECT_EQ(fieldLinesDialog->listedCharges(), 0);
}

// Add Plane: it opens at the box's centre along the chosen axis; OK adds the plane the
// controls describe and closes; an offset outside the box or own potentials that are no
// numbers are told, and the dialog stays open with nothing added.
TEST_F(DialogsTest, AddPlaneAddsThePlaneOrSaysWhyAndStaysOpen) {
    makeDialogs();
    planeDialog = std::make_unique<PlaneDialog>("Add Plane", addPlaneAction);
    write("box.txt", "BOUNDS FROM -1, 0, 2 TO 3, 1, 4\nPOINT 1 AT 0, 0.5, 3\n");
    session_.load("box.txt");
    commandButtonPressed(AddPlaneCommand);
    ASSERT_EQ(activeDialog, planeDialog.get());
    EXPECT_EQ(planeDialog->axisList()->get_int_val(), 2);
    EXPECT_EQ(planeDialog->offsetField()->get_float_val(), 3.0f) << "the middle of z from 2 to 4";
    EXPECT_EQ(planeDialog->levelsField()->get_int_val(), 15);
    planeDialog->axisList()->choose_index(0);
    EXPECT_EQ(planeDialog->offsetField()->get_float_val(), 1.0f) << "the middle of x from -1 to 3";

    planeDialog->offsetField()->set_float_val(5.0f);
    ::testing::internal::CaptureStdout();
    planeDialogControl(PlaneDialog::OkId);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "The plane x = 5 lies outside the box (x from -1 to 3).\n");
    EXPECT_EQ(activeDialog, planeDialog.get());
    EXPECT_TRUE(session_.visualisations().empty());

    planeDialog->offsetField()->set_float_val(0.0f);
    planeDialog->potentialsField()->set_text("1, two");
    ::testing::internal::CaptureStdout();
    planeDialogControl(PlaneDialog::OkId);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Own potentials must be finite numbers separated by commas, such as -1,0,1 (not \"1, two\").\n");
    EXPECT_EQ(activeDialog, planeDialog.get());

    planeDialog->potentialsField()->set_text("0.5, 2");
    planeDialog->linesField()->set_int_val(6);
    planeDialog->strengthBox()->set_int_val(1);
    std::string error;
    const auto request = planeDialog->request(error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(describe(*request), "Plane x = 0, levels 0.5, 2, 6 lines a charge, by strength");
    planeDialogControl(PlaneDialog::CancelId);
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_TRUE(panelsEnabled());
}

TEST_F(DialogsTest, TheCheckBoxesOfLinesAndHedgehogsGoIntoTheirRequests) {
    makeDialogs();
    EXPECT_EQ(describe(fieldLinesDialog->request()), "Field lines, 10 per charge");
    fieldLinesDialog->proportionalBox()->set_int_val(1);
    EXPECT_EQ(describe(fieldLinesDialog->request()), "Field lines, 10 per charge, in proportion");
    fieldLinesDialog->strengthBox()->set_int_val(1);
    EXPECT_EQ(describe(fieldLinesDialog->request()), "Field lines, 10 per charge, in proportion, by strength");
    hedgehogDialog->countField()->set_int_val(30);
    hedgehogDialog->strengthBox()->set_int_val(1);
    EXPECT_EQ(describe(hedgehogDialog->request()), "Hedgehog, 30 lines, by strength");
}

// Save Model As: an existing file is replaced only by a second OK on its name; a name
// that cannot be written is reported in one line and the dialog closes.
TEST_F(DialogsTest, SaveModelAsAsksBeforeReplacingAndSaysWhyItCannotWrite) {
    makeDialogs();
    saveModelDialog = std::make_unique<SaveModelDialog>("Save Model As", saveModelAction);
    write("dipole.txt", "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 0.1 AT -0.5, 0, 0\n");
    session_.load("dipole.txt");
    write("old.txt", "old");
    fs::create_directory("folder");
    const auto okOn = [&](const char* name) {
        if (activeDialog == nullptr) commandButtonPressed(SaveModelCommand);
        saveModelDialog->nameField()->set_text(name);
        ::testing::internal::CaptureStdout();
        saveDialogControl(SaveModelDialog::OkId);
        return ::testing::internal::GetCapturedStdout();
    };
    EXPECT_EQ(okOn("old.txt"), "");
    EXPECT_TRUE(shown(*saveModelDialog));
    EXPECT_EQ(saveModelDialog->notice()->name.str(), "That file exists: OK again replaces it.");
    EXPECT_EQ(std::ifstream("old.txt").get(), 'o');
    EXPECT_EQ(okOn("old.txt"), "Model saved as old.txt.\n");
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_TRUE(panelsEnabled());
    EXPECT_EQ(saveModelDialog->notice()->name.str(), "");
    ASSERT_EQ(session_.load("old.txt"), LoadOutcome::Loaded);
    EXPECT_EQ(session_.model()->charges()[0].value, static_cast<double>(0.1f));

    EXPECT_EQ(okOn("folder"), "Could not save model folder: it is a folder.\n");
    EXPECT_EQ(okOn(""), "Could not save model: no file name was given.\n");
    EXPECT_EQ(okOn("missing/new.txt"), "Could not save model missing/new.txt: No such file or directory.\n");
    EXPECT_EQ(activeDialog, nullptr);
    EXPECT_FALSE(fs::exists("missing"));
}

// The tracer list opens at the look's default, and the lines asked for take the one chosen.
TEST_F(DialogsTest, TheFieldLinesTracerOpensAtTheLooksDefault) {
    makeDialogs();
    EXPECT_EQ(fieldLinesDialog->tracerList()->item_texts(), (std::vector<std::string>{"Euler steps", "Accurate"}));
    for (const int teaching : {0, 1}) {
        teachingStyle = teaching;
        commandButtonPressed(AddFieldLinesCommand);
        EXPECT_EQ(fieldLinesDialog->request().method, teaching ? FieldLineMethod::Accurate : FieldLineMethod::Euler);
        dialogButtonControl(FieldLinesDialog::CancelId);
    }
    teachingStyle = 0;
    commandButtonPressed(AddFieldLinesCommand);
    fieldLinesDialog->tracerList()->set_int_val(1);  // chosen against the look
    EXPECT_EQ(fieldLinesDialog->request().method, FieldLineMethod::Accurate);
    EXPECT_EQ(fieldLinesDialog->request().count, 10);
    dialogButtonControl(FieldLinesDialog::CancelId);
}

// Probe... and Add Gauss Surface...: a field that cannot be read, a probe outside the box or
// a radius not above 0 is told and the dialog stays open; good numbers make the request.
TEST_F(DialogsTest, PlacementDialogsRefuseWhatCannotBePlaced) {
    makeDialogs();
    probeDialog = std::make_unique<PlacementDialog>("Probe", placeProbeAction, false);
    gaussSphereDialog = std::make_unique<PlacementDialog>("Add Gauss Surface", addGaussSphereAction, true);
    write("one.txt", "BOUNDS FROM -1, -1, -1 TO 3, 1, 1\nPOINT 2 AT 0, 0, 0\n");
    session_.load("one.txt");
    const auto typed = [&](PlacementDialog& dialog, std::vector<const char*> texts,
                           std::optional<VisualisationRequest>& request) {
        for (std::size_t i = 0; i < texts.size(); ++i) dialog.field(static_cast<int>(i))->set_text(texts[i]);
        ::testing::internal::CaptureStdout();
        request = dialog.typedRequest();
        return ::testing::internal::GetCapturedStdout();
    };
    std::optional<VisualisationRequest> request;
    commandButtonPressed(ProbeCommand);
    EXPECT_EQ(probeDialog->field(0)->get_text(), std::string("1"));  // the box's centre
    EXPECT_EQ(typed(*probeDialog, {"abc", "0", "0"}, request), "X \"abc\" is not a number.\n");
    EXPECT_EQ(typed(*probeDialog, {"4", "0", "0"}, request),
              "The probe at (4, 0, 0) would lie outside the box; it was not placed.\n");
    ::testing::internal::CaptureStdout();
    placementControl(PlacementDialog::ProbeOkId);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "The probe at (4, 0, 0) would lie outside the box; it was not placed.\n");
    EXPECT_EQ(activeDialog, probeDialog.get());  // open for a correction
    EXPECT_EQ(typed(*probeDialog, {"1", "0", "-1e-1"}, request), "");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, VisualisationRequest::Kind::Probe);
    EXPECT_EQ(request->point.z, -0.1f);
    placementControl(PlacementDialog::ProbeCancelId);
    EXPECT_TRUE(panelsEnabled());

    commandButtonPressed(GaussSphereCommand);
    EXPECT_EQ(gaussSphereDialog->field(3)->get_text(), std::string("0.5"));  // a quarter of the shortest side
    EXPECT_EQ(typed(*gaussSphereDialog, {"0", "0", "0", "0"}, request), "A Gauss sphere needs a radius above 0.\n");
    EXPECT_EQ(typed(*gaussSphereDialog, {"0", "0", "0", "0.25"}, request), "");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, VisualisationRequest::Kind::GaussSphere);
    EXPECT_EQ(request->radius, 0.25f);
    EXPECT_EQ(session_.visualisations().size(), 0u);
}

}  // namespace
}  // namespace kelvaro
