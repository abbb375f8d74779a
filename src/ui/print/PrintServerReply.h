#pragma once

// What the print server answered when it was last handed a job from this thread. Qt's printer hands the
// finished document to the print server (CUPS) when its painter ends, and reports success whatever the
// server answers: a queue that rejects jobs, a server that is gone or a job it refuses would lose the job
// without a word. The answer is kept per thread by the CUPS library Qt prints through, so the print
// command asks it right after the printer's document has ended.
class PrintServerReply
{
public:
    // True when the last request to the print server on this thread failed.
    static bool lastRequestFailed();
};
