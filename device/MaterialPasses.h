// What a draw needs of the current material: rewind to its first pass, then
// set up the device for one pass after another.
#pragma once

class MaterialPasses {
public:
    // Rewinds to the first pass; called once per draw, before the first pass.
    virtual void BeginPasses() = 0;
    // Sets the device state for the next pass and advances. 1 when at least
    // one more pass follows the one just applied; anything else after the last.
    virtual int ApplyNextPass() = 0;
    // Puts back what the passes changed beyond the material's own state;
    // called once per draw after its last pass, drawn or failed.
    virtual void EndPasses() = 0;

protected:
    ~MaterialPasses() = default;
};
