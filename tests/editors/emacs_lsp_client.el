;;; A real Emacs session with ZorLsp through eglot, set up by the README's
;;; snippet (loaded before this file): open a script with an error, wait
;;; until flymake shows the server's diagnostics, and write them to $ZOR_OUT,
;;; one "LINE:COLUMN: TYPE: TEXT" a line (lines from 1, columns from 0).

(require 'flymake)
(setq confirm-kill-processes nil)

(defun zor-test-diagnostic-line (diagnostic)
  (let ((beg (flymake-diagnostic-beg diagnostic)))
    (format "%d:%d: %s: %s\n" (line-number-at-pos beg)
            (save-excursion (goto-char beg) (current-column))
            (flymake-diagnostic-type diagnostic) (flymake-diagnostic-text diagnostic))))

(let* ((deadline (+ (float-time) (string-to-number (or (getenv "ZOR_WAIT_S") "15"))))
       (buffer (find-file (expand-file-name "broken.zor.txt" (getenv "ZOR_WORK"))))
       (received nil))
  ;; eglot-ensure connects once the command that opened the file is over;
  ;; batch Emacs runs no command loop to end one.
  (run-hooks 'post-command-hook)
  (with-current-buffer buffer
    (while (and (null received) (< (float-time) deadline))
      (accept-process-output nil 0.1)
      (setq received (flymake-diagnostics)))
    (with-temp-file (getenv "ZOR_OUT")
      (dolist (diagnostic received)
        (insert (with-current-buffer buffer (zor-test-diagnostic-line diagnostic)))))))
(kill-emacs 0)
