// A tool's console as a learner would see it: standard output and standard
// error in the order they came, each answer shown after its question (as if
// typed), and carriage returns rewriting the current line, as the row and
// noise-average progress counters do on a terminal.

const PROMPT_END = '] :';

export class Transcript {
  constructor(answers, questionCount) {
    this.answers = answers; // answer lines without line ends
    this.questionCount = questionCount;
    this.asked = 0;
    this.lines = [''];
    this.column = 0;
    this.pendingPrompt = ''; // the end of standard output that may begin a "] :"
    this.decoders = { stdout: new TextDecoder('utf-8'), stderr: new TextDecoder('utf-8') };
  }

  write(text) {
    for (const c of text) {
      if (c === '\n') {
        this.lines.push('');
        this.column = 0;
      } else if (c === '\r') {
        this.column = 0;
      } else {
        const line = this.lines[this.lines.length - 1];
        this.lines[this.lines.length - 1] = line.slice(0, this.column) + c + line.slice(this.column + 1);
        this.column++;
      }
    }
  }

  // Adds a chunk of one stream (bytes).
  add(stream, bytes) {
    const text = this.decoders[stream].decode(bytes, { stream: true });
    if (stream === 'stderr') {
      this.write(text);
      return;
    }
    let pending = this.pendingPrompt + text;
    this.pendingPrompt = '';
    while (this.asked < this.questionCount) {
      const at = pending.indexOf(PROMPT_END);
      if (at < 0) break;
      this.write(pending.slice(0, at + PROMPT_END.length));
      pending = pending.slice(at + PROMPT_END.length);
      const answer = this.answers[this.asked++];
      if (answer !== undefined) this.write(answer + '\n');
    }
    // Keeps back what could be the start of the next prompt's end.
    let keep = 0;
    if (this.asked < this.questionCount) {
      for (let n = PROMPT_END.length - 1; n > 0; n--) {
        if (pending.endsWith(PROMPT_END.slice(0, n))) {
          keep = n;
          break;
        }
      }
    }
    this.write(pending.slice(0, pending.length - keep));
    this.pendingPrompt = pending.slice(pending.length - keep);
  }

  finish() {
    this.write(this.pendingPrompt);
    this.pendingPrompt = '';
  }

  text() {
    return this.lines.join('\n') + this.pendingPrompt;
  }
}
