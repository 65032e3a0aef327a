// A tool's console as a learner would see it: standard output and standard
// error in the order they came, each answer shown after its question as if
// typed (the run's answer events say when a question was answered and
// with what), and carriage returns rewriting the current line, as the row
// and noise-average progress counters do on a terminal.

export class Transcript {
  constructor() {
    this.lines = [''];
    this.column = 0;
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
    this.write(this.decoders[stream].decode(bytes, { stream: true }));
  }

  // An answer event: the answer after its question, as typed. A question
  // whose answers had run out shows nothing, as on a console.
  event(event) {
    if (event.event === 'answer' && event.line !== null && event.line !== undefined) this.write(event.line + '\n');
  }

  finish() {
    for (const stream of ['stdout', 'stderr']) this.write(this.decoders[stream].decode());
  }

  text() {
    return this.lines.join('\n');
  }
}
