// The virtual play list: rows come in pages of 50 as the view asks for them, each page is
// asked for once, and local moves keep the texts in step with what the server is asked to do.
// No display is needed: the model is a plain GObject.

#include <gtest/gtest.h>

#include <glib.h>
#include <gtk/gtk.h>

#include "client/desktop/PlaylistModel.h"

namespace vantor::desktop {
namespace {

class PlaylistModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_model.onPageNeeded = [this](int start) { m_asked.push_back(start); };
    }

    // What a view does when it draws a row: asks for the text column.
    std::string Draw(int row) {
        GtkTreeModel* model = m_model.Gobj();
        GtkTreeIter iter;
        if (!gtk_tree_model_iter_nth_child(model, &iter, nullptr, row)) return "<none>";
        GValue value = G_VALUE_INIT;
        gtk_tree_model_get_value(model, &iter, PlaylistModel::kTextColumn, &value);
        std::string text = g_value_get_string(&value) ? g_value_get_string(&value) : "";
        g_value_unset(&value);
        return text;
    }

    // Page requests go out from the main loop once the drawing is done.
    void RunPending() {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }

    static std::vector<std::string> Rows(int first, int count) {
        std::vector<std::string> rows;
        for (int i = 0; i < count; ++i) rows.push_back("Track " + std::to_string(first + i));
        return rows;
    }

    PlaylistModel m_model;
    std::vector<int> m_asked;
};

TEST_F(PlaylistModelTest, RowsInViewAskForTheirPageOnce) {
    m_model.SetRowCount(10000);
    EXPECT_EQ(gtk_tree_model_iter_n_children(m_model.Gobj(), nullptr), 10000);
    EXPECT_EQ(Draw(0), "");
    EXPECT_EQ(Draw(49), "");
    EXPECT_EQ(Draw(120), "");
    RunPending();
    EXPECT_EQ(m_asked, (std::vector<int>{0, 100}));  // rows 0 and 49 share a page

    m_model.SetRows(100, Rows(100, 50));
    EXPECT_EQ(Draw(120), "Track 120");
    Draw(125);
    RunPending();
    EXPECT_EQ(m_asked.size(), 2u);
    EXPECT_EQ(Draw(10000), "<none>");

    // A changed play list is asked for again as it is drawn.
    m_model.Forget();
    EXPECT_EQ(Draw(120), "");
    RunPending();
    EXPECT_EQ(m_asked.back(), 100);
}

TEST_F(PlaylistModelTest, ShorterListsDropRowsAndMovesFollowTheServer) {
    m_model.SetRowCount(3);
    m_model.SetRows(0, {"A", "B", "C", "D"});  // more than the count: the rest is dropped
    EXPECT_EQ(Draw(3), "<none>");
    m_model.MoveRow(0, 2);
    EXPECT_EQ((std::vector<std::string>{Draw(0), Draw(1), Draw(2)}),
              (std::vector<std::string>{"B", "C", "A"}));
    m_model.MoveRow(2, 0);
    EXPECT_EQ((std::vector<std::string>{Draw(0), Draw(1), Draw(2)}),
              (std::vector<std::string>{"A", "B", "C"}));
    m_model.MoveRow(1, 7);  // past the end: nothing moves
    EXPECT_EQ(Draw(1), "B");

    m_model.SetCurrent(1);
    EXPECT_EQ(m_model.CellText(1, PlaylistModel::kMarkColumn), "\u25B6");
    EXPECT_EQ(m_model.CellText(0, PlaylistModel::kMarkColumn), "");
    m_model.SetRowCount(1);
    EXPECT_EQ(m_model.RowText(2), "");
    EXPECT_EQ(Draw(0), "A");
}

}  // namespace
}  // namespace vantor::desktop
