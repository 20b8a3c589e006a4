#pragma once
// Anything that shows the progress of a long sequence: a window's bar, the terminal, a test.

namespace zarnik {

class TProgress {
public:
    virtual ~TProgress() = default;
    virtual void SetMinimum(int v) = 0;
    virtual void SetMaximum(int v) = 0;
    virtual void SetStep(int v) = 0;
    virtual void SetPosition(int v) = 0;
    virtual int Position() const = 0;
    void StepIt() { SetPosition(Position() + StepValue()); }

protected:
    virtual int StepValue() const = 0;
};

// A bar that only counts; also the base of the terminal and test bars.
class TCountingProgress : public TProgress {
public:
    void SetMinimum(int v) override { Min = v; }
    void SetMaximum(int v) override { Max = v; }
    void SetStep(int v) override { Step = v; }
    void SetPosition(int v) override { Pos = v; }
    int Position() const override { return Pos; }
    int Min = 0, Max = 100, Step = 10, Pos = 0;

protected:
    int StepValue() const override { return Step; }
};

}  // namespace zarnik
