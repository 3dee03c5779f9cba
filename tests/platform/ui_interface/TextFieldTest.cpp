#include "InterfaceTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Utf8.h"
#include "platform/ui/UITextField.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/support/InkBox.h"

namespace {

// Answers as told and writes down what it was asked.
class ScriptedDelegate : public UITextFieldDelegate {
public:
    std::vector<std::string> calls;
    bool allowBegin = true, allowEnd = true, allowReturn = true;
    std::size_t maxLength = 100;

    bool textFieldShouldBeginEditing(UITextField& f) override { return note("should begin", f), allowBegin; }
    void textFieldDidBeginEditing(UITextField& f) override { note("did begin", f); }
    bool textFieldShouldEndEditing(UITextField& f) override { return note("should end", f), allowEnd; }
    void textFieldDidEndEditing(UITextField& f) override { note("did end", f); }
    bool textFieldShouldReturn(UITextField& f) override { return note("should return", f), allowReturn; }
    bool textFieldShouldChangeCharactersInRange(UITextField& f, NSRange range, const std::string& replacement) override
    {
        note("change " + std::to_string(range.location) + "+" + std::to_string(range.length) + " '" + replacement + "'", f);
        return range.location + Utf8::decode(replacement).size() - range.length <= maxLength;
    }

private:
    void note(const std::string& what, UITextField& f) { calls.push_back(what + " " + std::to_string(f.tag())); }
};

class TextFieldTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        show(root);
        first->setTag(1);
        second->setTag(2);
        root->view()->addSubview(first);
        root->view()->addSubview(second);
        first->setDelegate(delegate);
        second->setDelegate(delegate);
    }

    std::shared_ptr<RecordingController> root = std::make_shared<RecordingController>();
    std::shared_ptr<UITextField> first = UITextField::create(CGRectMake(10, 10, 200, 30));
    std::shared_ptr<UITextField> second = UITextField::create(CGRectMake(10, 50, 200, 30));
    std::shared_ptr<ScriptedDelegate> delegate = std::make_shared<ScriptedDelegate>();
};

} // namespace

TEST_F(TextFieldTest, EditingBeginsAndEndsWithTheDelegateAndOneFirstResponderPerWindow)
{
    EXPECT_TRUE(first->becomeFirstResponder());
    EXPECT_TRUE(first->isEditing());
    EXPECT_EQ(window->firstResponder(), first);

    EXPECT_TRUE(second->becomeFirstResponder());
    EXPECT_FALSE(first->isEditing());
    EXPECT_EQ(window->firstResponder(), second);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"should begin 1", "did begin 1", "should begin 2",
                                                           "should end 1", "did end 1", "did begin 2"}));

    // A field that will not end its editing keeps the others out, unless the ending is forced.
    delegate->allowEnd = false;
    EXPECT_FALSE(first->becomeFirstResponder());
    EXPECT_EQ(window->firstResponder(), second);
    EXPECT_TRUE(root->view()->endEditing(true));
    EXPECT_FALSE(second->isEditing());
}

TEST_F(TextFieldTest, FieldsThatMayNotEditStayOut)
{
    delegate->allowBegin = false;
    EXPECT_FALSE(first->becomeFirstResponder());
    delegate->allowBegin = true;
    first->setEnabled(false);
    EXPECT_FALSE(first->tap());
    EXPECT_FALSE(first->becomeFirstResponder());
    auto loose = UITextField::create();
    EXPECT_FALSE(loose->becomeFirstResponder()); // not on a window
    EXPECT_EQ(window->firstResponder(), nullptr);
    EXPECT_TRUE(second->tap());
    EXPECT_TRUE(second->isEditing());
}

TEST_F(TextFieldTest, TypingGoesThroughTheDelegateAndSendsEditingChanged)
{
    int changes = 0;
    first->addTarget(this, [&](UIControl&) { ++changes; }, UIControlEventEditingChanged);
    EXPECT_FALSE(first->typeText("12")); // not editing yet
    first->becomeFirstResponder();
    delegate->calls.clear();
    delegate->maxLength = 4;
    EXPECT_TRUE(first->typeText("工号"));
    EXPECT_TRUE(first->typeText("12"));
    EXPECT_FALSE(first->typeText("3")); // refused: the text stays
    EXPECT_EQ(first->text(), "工号12");
    EXPECT_TRUE(first->deleteBackward());
    EXPECT_EQ(first->text(), "工号1");
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"change 0+0 '工号' 1", "change 2+0 '12' 1",
                                                           "change 4+0 '3' 1", "change 3+1 '' 1"}));
    first->setText("");
    EXPECT_FALSE(first->deleteBackward());
}

TEST_F(TextFieldTest, ReturnAsksTheDelegateAndEndsOnExitWhenWired)
{
    first->becomeFirstResponder();
    delegate->allowReturn = false;
    EXPECT_FALSE(first->pressReturn());
    EXPECT_TRUE(first->isEditing());
    delegate->allowReturn = true;
    EXPECT_TRUE(first->pressReturn());
    EXPECT_TRUE(first->isEditing()); // nothing wired to the end-on-exit event

    int exits = 0;
    first->addTarget(this, [&](UIControl&) { ++exits; }, UIControlEventEditingDidEndOnExit);
    EXPECT_TRUE(first->pressReturn());
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(first->isEditing());
}

TEST_F(TextFieldTest, TheKeyboardComesOnceAndGoesWhenTheLastFieldLetsGo)
{
    std::vector<std::string> seen;
    auto token = NotificationCenter::defaultCenter().addObserver("", [&](const Notification& n) {
        if (n.name.rfind("UIKeyboard", 0) != 0)
            return;
        const auto end = std::any_cast<CGRect>(n.userInfo.at(UIKeyboardFrameEndUserInfoKey));
        seen.push_back(n.name.substr(10) + " " + std::to_string(int(end.origin.y)));
    });
    first->becomeFirstResponder();
    second->becomeFirstResponder(); // the keyboard stays between the two
    EXPECT_EQ(seen, (std::vector<std::string> {"WillShowNotification 416"}));
    clock.advance(UIKeyboard::AnimationDuration + 0.1);
    second->resignFirstResponder();
    clock.advance(UIKeyboard::AnimationDuration + 0.1);
    EXPECT_EQ(seen, (std::vector<std::string> {"WillShowNotification 416", "DidShowNotification 416",
                                               "WillHideNotification 768", "DidHideNotification 768"}));
    EXPECT_FALSE(UIKeyboard::isVisible());
}

TEST_F(TextFieldTest, LeavingTheWindowEndsEditing)
{
    first->becomeFirstResponder();
    delegate->calls.clear();
    delegate->allowEnd = false; // not asked: the field is gone from the window
    first->removeFromSuperview();
    EXPECT_FALSE(first->isEditing());
    EXPECT_EQ(window->firstResponder(), nullptr);
    EXPECT_EQ(delegate->calls, (std::vector<std::string> {"did end 1"}));
    EXPECT_FALSE(UIKeyboard::isVisible());
}

TEST_F(TextFieldTest, SecureEntryShowsDotsInPlaceOfTheCharacters)
{
    first->setText("pw工1");
    EXPECT_EQ(first->displayedText(), "pw工1");
    first->setSecureTextEntry(true);
    EXPECT_EQ(first->displayedText(), "\u2022\u2022\u2022\u2022");
    EXPECT_EQ(first->text(), "pw工1");

    // A filled field and a placeholder leave marks; an empty field without one leaves none.
    const auto inked = [](UITextField& field) {
        return inkOf(*ViewRenderer::render(field), [](const auto& p) { return p.alpha > 0; }).count;
    };
    EXPECT_GT(inked(*first), 0);
    first->setText("");
    EXPECT_EQ(inked(*first), 0);
    first->setPlaceholder("工号");
    EXPECT_GT(inked(*first), 0);
}
