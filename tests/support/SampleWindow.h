#pragma once

#include "mainwindow/DialForm.h"
#include "support/SampleBook.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHome.h"
#include "telephony/LineService.h"

#include <functional>
#include <memory>

namespace telvora::test {

// The main window on the sample book in a data folder of its own, with a prompt the
// test scripts and a line service of its own. What the test needs in place before the window loads
// (settings, more rows) goes in the preparation, which runs once the book is written.
struct SampleWindow
{
    TestHome home;
    SampleBook book;
    ScriptedPrompt prompt;
    LineService lines;
    std::unique_ptr<DialForm> form;

    explicit SampleWindow(const std::function<void(SampleWindow&)>& prepare = {})
    {
        book.seed();
        if (prepare)
            prepare(*this);
        form = std::make_unique<DialForm>(prompt, lines);
        form->Form_Load();
    }
};

} // namespace telvora::test
