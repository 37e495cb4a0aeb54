#include "Program.h"

#include "TAbout.h"
#include "TDBSelect.h"
#include "TDebug.h"
#include "TFullText.h"
#include "THDView.h"
#include "TMain.h"
#include "TNewHD.h"

Program::Program(ProgramEnvironment& env, UserDialogs& dialogs, const EntryWindowFactory& entry) {
    main_ = std::make_unique<TMain>(env, windows_, dialogs);
    fullText_ = std::make_unique<TFullText>(env, main_.get());
    debug_ = std::make_unique<TDebug>();
    newProtocol_ = std::make_unique<TNewHD>(env, dialogs, main_.get());
    entry_ = entry ? entry(env, dialogs, main_.get()) : std::make_unique<THDView>(env, dialogs, main_.get(), fullText_.get());
    kindSelect_ = std::make_unique<TDBSelect>(env, dialogs);
    about_ = std::make_unique<TAbout>(env, dialogs, main_.get());
    windows_ = {fullText_.get(), debug_.get(), newProtocol_.get(), entry_.get(), kindSelect_.get(), about_.get()};
}

Program::~Program() {
    about_.reset();
    kindSelect_.reset();
    entry_.reset();
    newProtocol_.reset();
    debug_.reset();
    fullText_.reset();
    windows_ = {};
    main_.reset();
}
