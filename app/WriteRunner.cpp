#include "app/WriteRunner.h"

#include "app/Globals.h"
#include "app/MsgBox.h"
#include "app/UntDM.h"

TWriteResult runWrite(QWidget* parent, const std::function<void(TConnection&)>& work,
                      const TWriteOptions& options)
{
    TConnection& conn = dm().ADOCPOST;
    QString text;
    TWriteResult result = TWriteResult::Done;
    try {
        runTransaction(conn, [&] { work(conn); }, options.mode);
        return TWriteResult::Done;
    } catch (const EBusyError& e) {
        result = TWriteResult::Busy;
        text = e.message();
    } catch (const EConflictError& e) {
        result = TWriteResult::Conflict;
        text = e.message();
    } catch (const ECancelled&) {
        // The user stopped it: the caller says what that means for its data.
        return TWriteResult::Cancelled;
    } catch (const EConnectionLost& e) {
        // Plainly, whatever the form's own failure text: the user can act on it.
        result = TWriteResult::Failed;
        text = e.message();
    } catch (const std::exception& e) {
        result = TWriteResult::Failed;
        text = options.failureText.isEmpty() ? errorWarningText(e) : options.failureText;
    }
    if (!options.quiet)
        msg::warning(parent, text);
    return result;
}
